#pragma once
// Neighbour elimination: both rows of every neighbouring pair closer than the
// window get the removed marker, and FLAG becomes 1 on every row.

#include "reflections/reflection_table.hpp"

namespace kestran {

// Codes 2 and 3: window DELTA x EXTRA of the lower row (DELTA held in D);
// every other code: the fixed window D.
void eliminateNeighbours(ReflectionTable& table);

// The window and the distance of the pair of rows (index, index + 1) exactly
// as the elimination compares them: in double precision, unrounded.
double pairWindow(const ReflectionTable& table, int index);
double pairDistance(const ReflectionTable& table, int index);

}  // namespace kestran
