#pragma once
// The globals of an event that hold game state, each by address and size,
// for a harness that runs several machines in one process and swaps each
// machine's copy in before its frame.
#include <cstddef>
#include <utility>
#include <vector>

template <typename... T>
std::vector<std::pair<void*, size_t>> GlobalsOf(T&... globals) {
  return {{static_cast<void*>(&globals), sizeof globals}...};
}
