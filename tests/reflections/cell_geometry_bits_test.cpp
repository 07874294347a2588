// Every stored value of the cell geometry, bit for bit, against the table of
// exact results in tests/data (tools/exact_values.py): 339 cells of every
// crystal family and a dozen reflections of each.

#include <gtest/gtest.h>

#include <bit>
#include <sstream>
#include <string>
#include <utility>

#include "../bit_tables.hpp"
#include "reflections/cell_geometry.hpp"

namespace kestran {
namespace {

using testing::bitsOf;
using testing::readBits;
using testing::readSingle;

TEST(CellGeometryBits, ReciprocalCellsPositionsAndAnglesAreExact) {
  testing::Mismatches mismatches;
  int cells = 0;
  int reflections = 0;
  ReciprocalCell reciprocal;
  std::string cellLine;
  for (const std::string& line : testing::dataLines("cell_geometry_bits.txt")) {
    std::istringstream in(line);
    std::string kind;
    in >> kind;
    if (kind == "cell") {
      CellParameters cell;
      for (float* value : {&cell.a, &cell.b, &cell.c, &cell.alpha, &cell.beta, &cell.gamma, &cell.wavelength}) {
        *value = readSingle(in);
      }
      reciprocal = prepareReciprocalCell(cell);
      cellLine = line;
      const std::pair<const char*, float> stored[] = {{"a*", reciprocal.aStar},
                                                      {"b*", reciprocal.bStar},
                                                      {"c*", reciprocal.cStar},
                                                      {"cos alpha*", reciprocal.cosAlphaStar},
                                                      {"cos beta*", reciprocal.cosBetaStar},
                                                      {"cos gamma*", reciprocal.cosGammaStar},
                                                      {"lambda^2/4", reciprocal.wavelengthFactor}};
      for (const auto& [name, value] : stored) {
        mismatches.check(readBits(in), bitsOf(value), name, line);
      }
      ++cells;
    } else if (kind == "hkl") {
      int h = 0, k = 0, l = 0;
      in >> h >> k >> l;
      const std::uint32_t sinSquared = readBits(in);
      const std::uint32_t twoTheta = readBits(in);
      const std::string where = line + " of " + cellLine;
      mismatches.check(sinSquared, bitsOf(sinSquaredTheta(reciprocal, h, k, l)), "sin^2(theta)", where);
      mismatches.check(twoTheta, bitsOf(twoThetaDegrees(std::bit_cast<float>(sinSquared))), "2theta", where);
      ++reflections;
    }
    std::string rest;
    ASSERT_TRUE(in && !(in >> rest) && cells > 0) << "malformed line: " << line;
  }
  EXPECT_EQ(cells, 339);
  EXPECT_EQ(reflections, 4068);
  EXPECT_EQ(mismatches.count(), 0) << mismatches.count() << " values differ from the exact table";
}

}  // namespace
}  // namespace kestran
