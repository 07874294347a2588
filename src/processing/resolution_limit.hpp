#pragma once
// The resolution limit of a run (--d-min, --two-theta-max): rows beyond it
// are read, ordered and compared with their neighbours like every other
// row, since a reflection just beyond the limit still overlaps one inside
// it, but they are not written, take no part in the scaling, and lie in no
// resolution shell.

#include "reflections/reflection_table.hpp"

namespace kestran {

bool hasLimit(const ResolutionLimit& limit);

// A row lies beyond the limit when its d-spacing is below dMin or its
// 2theta above twoThetaMax (strictly: a row on the limit is inside it). A
// row with no real angle lies beyond every limit: it cannot be measured at
// the wavelength of the file. Rows 0 0 0 are no reflections and lie nowhere.
bool isBeyondLimit(const ReflectionTable& table, int row);

}  // namespace kestran
