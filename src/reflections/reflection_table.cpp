#include "reflections/reflection_table.hpp"

namespace kestran {

void ReflectionTable::resizeRows(int count) {
  const auto size = static_cast<std::size_t>(count);
  for (auto* column : {&h, &k, &l, &fileRow, &line}) column->resize(size);
  for (auto* column : {&amplitude, &sigma, &peakWidth, &thirdValue, &sinSquaredTheta, &twoTheta}) column->resize(size);
  status.resize(size);
  const Flavour* flavour = findFlavour(inputCode);
  if (flavour != nullptr && flavour->entryHasMultiplicity) {
    multiplicity.resize(size);
  }
  rows = count;
}

}  // namespace kestran
