// Process-wide settings every program of the project makes at start-up,
// before any other thread runs.
#pragma once

namespace sys
{
// A write that takes a file past the process's file-size limit fails with
// "File too large" (EFBIG) instead of killing the whole program with SIGXFSZ:
// a conversion or a settings write then reports its error and the rest goes on.
void PrepareProcess();
}
