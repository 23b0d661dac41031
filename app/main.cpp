#include <cstdio>

int main()
{
    std::printf("Quorvel MTS %s\n", QUORVEL_VERSION);
    return 0;
}
