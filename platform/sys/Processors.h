// How many processors this process may run on, for sharing them out among
// threads. A count set for tests replaces the machine's, so that what depends
// on it does not depend on the machine.
#pragma once

namespace sys
{
// The processors the process may run on (its CPU affinity), at least 1; or
// the count set with SetProcessorCount.
int ProcessorCount();
// Replaces the count ProcessorCount gives; 0 gives back the machine's.
// Returns the previous replacement (0: none).
int SetProcessorCount(int count);
}
