#include "platform/sys/Processors.h"

#include <sched.h>
#include <unistd.h>

#include <atomic>

namespace sys
{
namespace {
std::atomic<int> gReplaced{0};
}

int ProcessorCount()
{
    if (int n = gReplaced.load(); n > 0)
        return n;
    // the affinity mask, as the codecs count their automatic threads (a
    // process limited to some processors gets only those)
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0)
        if (int n = CPU_COUNT(&set); n > 0)
            return n;
    long n = ::sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? int(n) : 1;
}

int SetProcessorCount(int count) { return gReplaced.exchange(count > 0 ? count : 0); }
}
