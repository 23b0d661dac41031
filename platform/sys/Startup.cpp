#include "platform/sys/Startup.h"

#include <csignal>

namespace sys
{
void PrepareProcess()
{
    ::signal(SIGXFSZ, SIG_IGN);
}
}
