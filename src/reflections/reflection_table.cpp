#include "reflections/reflection_table.hpp"

namespace kestran {

namespace {

bool hasMultiplicity(int inputCode) {
  const Flavour* flavour = findFlavour(inputCode);
  return flavour != nullptr && flavour->entryHasMultiplicity;
}

}  // namespace

void ReflectionTable::resizeRows(int count) {
  const auto size = static_cast<std::size_t>(count);
  for (auto* column : {&h, &k, &l, &fileRow, &line}) column->resize(size);
  for (auto* column : {&amplitude, &sigma, &peakWidth, &thirdValue, &sinSquaredTheta, &twoTheta}) column->resize(size);
  status.resize(size);
  if (hasMultiplicity(inputCode)) {
    multiplicity.resize(size);
  }
  rows = count;
}

void ReflectionTable::reserveRows(int count) {
  const auto size = static_cast<std::size_t>(count);
  for (auto* column : {&h, &k, &l, &fileRow, &line}) column->reserve(size);
  for (auto* column : {&amplitude, &sigma, &peakWidth, &thirdValue, &sinSquaredTheta, &twoTheta}) column->reserve(size);
  status.reserve(size);
  if (hasMultiplicity(inputCode)) {
    multiplicity.reserve(size);
  }
}

}  // namespace kestran
