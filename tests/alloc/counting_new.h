// The global operator new (every form) of the allocation tests counts its calls while
// `counting` is set. It is replaced for the whole test program: hence this test area of its
// own.
#pragma once

#include <atomic>

extern std::atomic<bool> counting;
extern std::atomic<long> allocations;
// When set, only the allocations made while the flag it points at is true are counted.
extern std::atomic<const bool*> countingWhile;
