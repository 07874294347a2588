#include "reflections/space_group.hpp"

#include <charconv>
#include <cstdlib>
#include <gemmi/symmetry.hpp>

#include "reflections/reflection_table.hpp"

namespace kestran {

namespace {

constexpr int lastSpaceGroupNumber = 230;

// The operations multiply indices by their denominator and sum three such
// products in 32 bits: indices beyond this (no measured reflection comes
// near it) stay out of the symmetry, with multiplicity 1 and never absent.
constexpr std::int32_t largestIndex = 1'000'000;

using Miller = gemmi::Op::Miller;

// The number of distinct images of h k l under the rotations of the point
// group and their negatives (the Laue class). Those 2n operations form the
// group, each element once or (when the point group holds the inversion)
// twice, so the orbit is 2n over the operations that leave h k l in place.
int multiplicityUnder(const gemmi::GroupOps& operations, const Miller& hkl) {
  // Images come multiplied by the operations' denominator.
  const Miller scaled{{hkl[0] * gemmi::Op::DEN, hkl[1] * gemmi::Op::DEN, hkl[2] * gemmi::Op::DEN}};
  const Miller negated{{-scaled[0], -scaled[1], -scaled[2]}};
  int keeping = 0;
  for (const gemmi::Op& op : operations.sym_ops) {
    const Miller image = op.apply_to_hkl_without_division(hkl);
    keeping += (image == scaled ? 1 : 0) + (image == negated ? 1 : 0);
  }
  return 2 * static_cast<int>(operations.sym_ops.size()) / keeping;
}

// The row of the lower entry-file line.
bool comesFirst(const ReflectionTable& table, int row, int first) {
  return first < 0 || table.line[row] < table.line[first];
}

}  // namespace

const gemmi::SpaceGroup* findSpaceGroup(std::string_view symbol, double alpha, double gamma) {
  std::string name;
  for (const char c : symbol) {
    if (c != '_') {  // P2_1/c: the subscript mark of typeset symbols
      name += c;
    }
  }
  const std::size_t start = name.find_first_not_of(' ');
  if (start != std::string::npos && name[start] >= '0' && name[start] <= '9') {
    int number = 0;
    const std::size_t end = name.find_last_not_of(' ') + 1;
    const auto [rest, error] = std::from_chars(name.data() + start, name.data() + end, number);
    if (error != std::errc() || rest != name.data() + end || number < 1 || number > lastSpaceGroupNumber) {
      return nullptr;
    }
    return &gemmi::get_spacegroup_reference_setting(number);
  }
  return gemmi::find_spacegroup_by_name(name, alpha, gamma);
}

std::string spaceGroupName(const gemmi::SpaceGroup& group) { return group.xhm(); }

int laueMultiplicity(const gemmi::SpaceGroup& group, int h, int k, int l) {
  return multiplicityUnder(group.operations(), Miller{{h, k, l}});
}

SymmetryFindings applySpaceGroup(ReflectionTable& table, const gemmi::SpaceGroup& group) {
  const gemmi::GroupOps operations = group.operations();
  const bool fromFile = table.multiplicity.size() == static_cast<std::size_t>(table.rows);
  table.multiplicity.resize(static_cast<std::size_t>(table.rows));
  SymmetryFindings found;
  for (int row = 0; row < table.rows; ++row) {
    const Miller hkl{{table.h[row], table.k[row], table.l[row]}};
    const bool inReach =
        std::abs(hkl[0]) <= largestIndex && std::abs(hkl[1]) <= largestIndex && std::abs(hkl[2]) <= largestIndex;
    const int multiplicity = inReach ? multiplicityUnder(operations, hkl) : 1;
    const bool isReflection = inReach && hkl != Miller{{0, 0, 0}};
    if (isReflection && fromFile && table.multiplicity[row] != multiplicity) {
      ++found.differingRows;
      if (comesFirst(table, row, found.firstDiffering)) {
        found.firstDiffering = row;
        found.fileMultiplicity = table.multiplicity[row];
      }
    }
    table.multiplicity[row] = multiplicity;
    if (isReflection && operations.is_systematically_absent(hkl)) {
      ++found.absentRows;
      found.firstAbsent = comesFirst(table, row, found.firstAbsent) ? row : found.firstAbsent;
    }
  }
  return found;
}

}  // namespace kestran
