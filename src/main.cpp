// The program entry.
#include <cstdio>

int main()
{
    std::printf("Quendara v.%s\n", QUENDARA_VERSION);
    return 0;
}
