#pragma once
// Ordering of the rows by position (sin^2(theta)), with every data column
// following, and the conversion of the positions to 2theta in degrees.

#include <cstdint>

#include "reflections/reflection_table.hpp"

namespace kestran {

// Orders the rows by sinSquaredTheta, moves every data column and the
// status into the new order, records each row's fileRow and sets twoTheta.
// A list that gives its 2theta (a column list with tt) is ordered by that
// instead, and its sinSquaredTheta moves with the other columns.
void orderReflections(ReflectionTable& table);

// The reference ordering: the plain exchange sort over pos[0..n), carrying
// order along. Rows i < j are exchanged unless pos[i] - pos[j] <= 0, so a
// not-a-number difference exchanges, and so does infinity minus infinity.
void exchangeSortPositions(float* pos, std::int32_t* order, int n);

// The same result as exchangeSortPositions, in O(n log n) time and O(n)
// memory whatever the ties; falls back to the exchange sort when any
// position is not finite.
void sortPositions(float* pos, std::int32_t* order, int n);

}  // namespace kestran
