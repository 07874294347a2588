#include "reflections/reflection_table.hpp"

namespace kestran {

template <typename Apply>
void ReflectionTable::forEachColumn(Apply apply) {
  for (auto* column : {&h, &k, &l, &fileRow, &line}) apply(*column);
  for (auto* column : {&amplitude, &sigma, &peakWidth, &thirdValue, &sinSquaredTheta, &twoTheta}) apply(*column);
  apply(status);
  if ((listFlavour.code != 0 || findFlavour(inputCode) != nullptr) && flavourOf(*this).entryHasMultiplicity) {
    apply(multiplicity);
  }
}

void ReflectionTable::resizeRows(int count) {
  forEachColumn([count](auto& column) { column.resize(static_cast<std::size_t>(count)); });
  rows = count;
}

void ReflectionTable::reserveRows(int count) {
  forEachColumn([count](auto& column) { column.reserve(static_cast<std::size_t>(count)); });
}

}  // namespace kestran
