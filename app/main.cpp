#include <cstdio>

#include "platform/sys/Startup.h"

int main()
{
    sys::PrepareProcess();
    std::printf("Quorvel MTS %s\n", QUORVEL_VERSION);
    return 0;
}
