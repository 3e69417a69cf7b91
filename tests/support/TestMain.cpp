// The entry point of every test program. Tests run with their own temporary folders,
// never with the developer's settings or data.
#include <cstdio>
#include <cstdlib>
#include <gmock/gmock.h>
#include <unistd.h>

namespace {

pid_t testProcess = 0;

// A test that ends the process through exit() would end it with the code it gave, 0 as often as not,
// before any failure is reported: such a test counts as failed instead. Child processes (of death tests
// and of tests that fork) end on purpose.
void FailOnExitDuringATest()
{
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    if (test && getpid() == testProcess && !testing::internal::InDeathTestChild()) {
        std::fprintf(stderr, "%s.%s ended the process\n", test->test_suite_name(), test->name());
        std::_Exit(1);
    }
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleMock(&argc, argv);
    testProcess = getpid();
    std::atexit(FailOnExitDuringATest);
    return RUN_ALL_TESTS();
}
