#pragma once
// Work side by side: the generator's parts run on threads of their own
// (main.cpp), and a part spreads its larger loops over more.
#include <functional>

namespace assetgen {

// The cores this process may run on (its affinity, as nproc counts them).
int Cores();

// How many threads ForEach uses; 1 runs every loop in order on the caller.
void SetThreads(int threads);
int Threads();

// Calls fn(0) .. fn(n - 1), side by side on up to Threads() threads, and
// returns when all are done; the first exception (by index) is rethrown.
// The calls must not depend on one another's order.
void ForEach(int n, const std::function<void(int)>& fn);

}  // namespace assetgen
