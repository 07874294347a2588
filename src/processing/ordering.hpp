#pragma once
// Ordering of the rows by position (sin^2(theta)), with every data column
// following, and the conversion of the positions to 2theta in degrees.

#include <array>
#include <cstdint>
#include <memory>
#include <ostream>

#include "reflections/reflection_table.hpp"

namespace kestran {

// The radix sort of the fast ordering takes the 32 bits of a position in
// three passes of this many bits.
inline constexpr int radixBits = 11;
inline constexpr int radixBuckets = 1 << radixBits;

// Working storage of the fast ordering, sized once for the capacity defaultCapacity.
// Allocate it with makeOrderingWorkspace (it is about 1.6 MB).
struct OrderingWorkspace {
  // Sort key per row: the position mapped to an ordered integer in the high
  // half, the 0-based row index in the low half; and room for the sort.
  std::array<std::uint64_t, defaultCapacity> keys{};
  std::array<std::uint64_t, defaultCapacity> spareKeys{};
  std::array<std::int32_t, radixBuckets + 1> digitCounts{};
  // Positions and order as they stood on entry.
  std::array<float, defaultCapacity> positions{};
  std::array<std::int32_t, defaultCapacity> order{};
  // Per row: the 1-based rank of its value among the distinct values, and
  // the number of earlier rows with a smaller value.
  std::array<std::int32_t, defaultCapacity> valueRank{};
  std::array<std::int32_t, defaultCapacity> smallerBefore{};
  // Fenwick tree of counts over value ranks.
  std::array<std::int32_t, defaultCapacity + 1> rankCounts{};
  // The list of the group being placed, walked as on a tape.
  std::array<std::int32_t, defaultCapacity> tape{};
};

std::unique_ptr<OrderingWorkspace> makeOrderingWorkspace();

// Prints the ordering line, orders the rows by SIN2THETA, moves H, K, L, FOBS,
// SIGF, EXTRA and STATUS into the new order and sets TWOTHETA.
void orderReflections(ReflectionTable& table, OrderingWorkspace& workspace, std::ostream& console);

// The reference ordering: the plain exchange sort over pos[0..n), carrying
// order along. Rows i < j are exchanged unless pos[i] - pos[j] <= 0, so a
// not-a-number difference exchanges, and so does infinity minus infinity.
void exchangeSortPositions(float* pos, std::int32_t* order, int n);

// The same result as exchangeSortPositions in O(n log n); falls back to the
// exchange sort when any position is not finite.
void fastSortPositions(float* pos, std::int32_t* order, int n, OrderingWorkspace& workspace);

}  // namespace kestran
