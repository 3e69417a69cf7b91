// The entry point of every test program. Tests run with their own temporary folders and file layers,
// never with the developer's settings or data.
#include "core/PakInterface.h"

#include <cstdio>
#include <cstdlib>
#include <gmock/gmock.h>
#include <optional>
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

// The file layer the process started with, put back after each test. It is kept here rather than in the
// listener, which gtest destroys when the process ends: a process that ends during a test (a death test's
// child) must still hold it then, or the leak checker reports it.
Tolm::PakInterface* processFileLayer = nullptr;

// Every test starts with a file layer of its own, without archives: what one test adds (the application
// adds "main.pak" from the working folder) never serves the files of another.
class FileLayerPerTest : public testing::EmptyTestEventListener
{
    void OnTestStart(const testing::TestInfo&) override { processFileLayer = PublishPakInterface(&own.emplace()); }
    void OnTestEnd(const testing::TestInfo&) override
    {
        PublishPakInterface(processFileLayer);
        own.reset();
    }

    std::optional<Tolm::PakInterface> own;
};

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleMock(&argc, argv);
    testProcess = getpid();
    testing::UnitTest::GetInstance()->listeners().Append(new FileLayerPerTest);
    std::atexit(FailOnExitDuringATest);
    return RUN_ALL_TESTS();
}
