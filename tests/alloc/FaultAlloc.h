// Failing allocations, as a machine out of memory would: once armed, the N-th
// allocation asked for by code compiled into this program throws
// std::bad_alloc. The libraries' own allocations (Qt, the host, SQLite) never
// fail: only the module's code, built with exceptions, is held to unwind.
#pragma once

namespace FaultAlloc {

// Counts the program's allocations on this thread from now on; the n-th one
// fails (n = 0: none fails, they are only counted).
void Arm(int n);
// Stops failing and counting; true when the armed allocation failed.
bool Disarm();
// Allocations counted since the last Arm.
int Calls();

}  // namespace FaultAlloc
