#pragma once
// Ordering of the rows by position (sin^2(theta)), with every data column
// following, and the conversion of the positions to 2theta in degrees.

#include <cstdint>
#include <ostream>

#include "reflections/reflection_table.hpp"

namespace kestran {

// Prints the ordering line, orders the rows by SIN2THETA, moves H, K, L, FOBS,
// SIGF, EXTRA and STATUS into the new order and sets TWOTHETA.
void orderReflections(ReflectionTable& table, std::ostream& console);

// The reference ordering: the plain exchange sort over pos[0..n), carrying
// order along. Rows i < j are exchanged unless pos[i] - pos[j] <= 0, so a
// not-a-number difference exchanges, and so does infinity minus infinity.
void exchangeSortPositions(float* pos, std::int32_t* order, int n);

// The same result as exchangeSortPositions, in O(n log n) time and O(n)
// memory whatever the ties; falls back to the exchange sort when any
// position is not finite.
void sortPositions(float* pos, std::int32_t* order, int n);

}  // namespace kestran
