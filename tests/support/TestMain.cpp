// The entry point of every test program. Tests run with their own temporary folders,
// never with the developer's settings or data.
#include <gmock/gmock.h>

int main(int argc, char** argv)
{
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
