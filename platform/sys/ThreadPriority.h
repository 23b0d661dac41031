// Scheduling priority of threads, through their nice values (best effort:
// raising a priority usually needs privileges the program does not have).
#pragma once

namespace sys
{
// The system's id of the calling thread.
int CurrentThreadId();
// Sets a thread's nice value (-20 … 19; tid 0 = the calling thread). Returns
// false when the system refused; the thread then keeps its old value.
bool SetThreadNice(int tid, int nice);
// A thread's nice value (tid 0 = the calling thread); 0 when unknown.
int GetThreadNice(int tid);
}
