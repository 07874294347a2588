#pragma once
// Rows that repeat the indices of an earlier row: usually a list pasted
// twice, or two data sets run together.

#include "reflections/reflection_table.hpp"

namespace kestran {

struct Duplicates {
  int rows = 0;  // rows whose h, k, l stand on an earlier row as well
  // The first repeat in file order: the row's line, and the line of the
  // earlier row it repeats; its indices.
  int line = 0, earlierLine = 0;
  int h = 0, k = 0, l = 0;
};

// Looks among the rows that are compared (0 0 0 rows are not). Rows of an
// ordered table with the same indices have the same sin^2(theta), so only
// rows of one position are compared with each other there.
Duplicates findDuplicates(const ReflectionTable& table);

}  // namespace kestran
