#include "reflections/reflection_table.hpp"

namespace kestran {

void ReflectionTable::resizeRows(int rows) {
  const auto size = static_cast<std::size_t>(rows);
  for (auto* column : {&H, &K, &L, &FLAG, &ORDER}) column->resize(size);
  for (auto* column : {&FOBS, &SIGF, &EXTRA, &SIN2THETA, &TWOTHETA}) column->resize(size);
  STATUS.resize(size);
  n = rows;
}

}  // namespace kestran
