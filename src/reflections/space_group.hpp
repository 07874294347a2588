#pragma once
// The space group of a run (--space-group): found by its symbol in gemmi's
// tables, which know every setting, and what it says of each reflection:
// its multiplicity and whether it is systematically absent.

#include <cstdint>
#include <string>
#include <string_view>

namespace gemmi {
struct SpaceGroup;
}

namespace kestran {

struct ReflectionTable;

// The space group of a symbol as users write it: Hermann-Mauguin with or
// without blanks ("P 21/c", "P121/c1", "Pbca", "R -3 m :H", "P2_1/c"), or a
// number from 1 to 230 (its standard setting). A rhombohedral symbol
// without ":H" or ":R" takes the axes the cell angles say (alpha and gamma
// in degrees; 0 when unknown: hexagonal axes). nullptr for no such group.
const gemmi::SpaceGroup* findSpaceGroup(std::string_view symbol, double alpha = 0, double gamma = 0);

// Its extended Hermann-Mauguin name: "P 1 21/c 1", "R -3 m:H".
std::string spaceGroupName(const gemmi::SpaceGroup& group);

// The multiplicity of h k l in the Laue class of the group (Friedel mates
// merged): the number of distinct reflections h k l turns into under the
// rotations of the point group and their negatives.
int laueMultiplicity(const gemmi::SpaceGroup& group, int h, int k, int l);

// What the space group says of the rows of a table, each row's
// multiplicity put in table.multiplicity.
struct SymmetryFindings {
  int absentRows = 0;  // rows (not 0 0 0) the group forbids
  int firstAbsent = -1;
  // Rows whose multiplicity in the entry file (SIRPOW) is not the group's.
  int differingRows = 0;
  int firstDiffering = -1;
  std::int32_t fileMultiplicity = 0;  // at firstDiffering, as the file gives it
};

// Puts each row's multiplicity in the group into table.multiplicity (the
// file's, where it gives one, is replaced) and finds the rows the group
// forbids; "first" is the row of the lowest entry-file line. A row with an
// index beyond a million gets 1 and is compared with nothing.
SymmetryFindings applySpaceGroup(ReflectionTable& table, const gemmi::SpaceGroup& group);

}  // namespace kestran
