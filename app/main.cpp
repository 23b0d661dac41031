#include <cstdio>

#include "app/OptionFile.h"
#include "app/Project1.h"
#include "platform/backend/x11/X11Backend.h"
#include "platform/sys/Startup.h"

int main()
{
    sys::PrepareProcess();
    // Work that needs no display starts while the display opens.
    const TStartupAhead ahead(SystemOptionPlaces());
    // The program's windows need a display; without one there is nothing to show.
    if (!backend::UseX11())
    {
        std::fprintf(stderr, "%s\n", backend::kNoDisplayMessage);
        return 1;
    }
    return RunProgram();
}
