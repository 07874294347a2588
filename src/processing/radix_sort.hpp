#pragma once
// A stable sort of 64-bit keys by their bits from a given one up, in
// passes of 11 bits: linear time and no data-dependent branch, where a
// comparison sort of random keys mispredicts about every other comparison.

#include <cstdint>
#include <span>

namespace kestran {

// Sorts `keys` by their bits from `lowBit` up, keys equal there keeping
// their order, with `spare` (as long) as the other buffer. Returns the
// buffer that holds the result: `keys` or `spare`.
std::span<std::uint64_t> sortByBitsFrom(std::span<std::uint64_t> keys, std::span<std::uint64_t> spare, int lowBit);

}  // namespace kestran
