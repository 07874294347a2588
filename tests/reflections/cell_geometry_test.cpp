#include "reflections/cell_geometry.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>

namespace kestran {
namespace {

constexpr CellParameters cubicCell{10, 10, 10, 90, 90, 90, 1.5406F};

TEST(CellGeometry, CubicCellReciprocalTerms) {
  const ReciprocalCell r = prepareReciprocalCell(cubicCell);
  EXPECT_EQ(r.wavelengthFactor, 0.59336203F);
  // One unit in the last place above the single nearest 0.1.
  EXPECT_EQ(r.aStar, 0.10000001F);
  EXPECT_EQ(r.bStar, 0.10000001F);
  EXPECT_EQ(r.cStar, 0.10000001F);
  // 90 degrees in single-precision radians lies just above pi/2, so the
  // cosines are not 0 but 4.371139e-8 to seven digits. Exactly, they are one
  // unit in the last place above the single written 4.371139e-8 (which is
  // minus the cosine of those radians, before the division).
  for (const float cosine : {r.cosAlphaStar, r.cosBetaStar, r.cosGammaStar}) {
    EXPECT_EQ(cosine, 4.3711392e-8F);
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", double{cosine});
    EXPECT_STREQ(text, "4.371139e-08");
  }
}

struct IndexCase {
  int h, k, l;
  float sinSquared;
};

void PrintTo(const IndexCase& c, std::ostream* out) { *out << "(" << c.h << "," << c.k << "," << c.l << ")"; }

class CubicCellPositions : public ::testing::TestWithParam<IndexCase> {};

TEST_P(CubicCellPositions, SinSquaredThetaIsExact) {
  const IndexCase& c = GetParam();
  const ReciprocalCell r = prepareReciprocalCell(cubicCell);
  EXPECT_EQ(sinSquaredTheta(r, c.h, c.k, c.l), c.sinSquared);
}

INSTANTIATE_TEST_SUITE_P(WorkedNumbers, CubicCellPositions,
                         ::testing::Values(IndexCase{1, 0, 0, 0.0059336214F}, IndexCase{0, 1, 0, 0.0059336214F},
                                           IndexCase{0, 0, 1, 0.0059336214F},
                                           // The cosines of 4.4e-8 break the tie of these two.
                                           IndexCase{1, 1, 0, 0.011867243F}, IndexCase{1, -1, 0, 0.011867242F},
                                           IndexCase{0, 0, 0, 0.0F}));

TEST(CellGeometry, WorkedTwoThetaValues) {
  EXPECT_EQ(twoThetaDegrees(0.0059336214F), 8.835741F);
  EXPECT_EQ(twoThetaDegrees(1.0F), 180.0F);
  EXPECT_EQ(twoThetaDegrees(0.0F), 0.0F);
}

TEST(CellGeometry, PositionBeyondReachHasNoAngle) {
  EXPECT_TRUE(std::isnan(twoThetaDegrees(1.0001F)));
  EXPECT_TRUE(std::isnan(twoThetaDegrees(-0.25F)));
}

// Independent reference: invert the direct metric tensor in double precision
// from the angles in exact degrees, then s = lambda^2/4 * h' G* h.
double referenceSinSquared(const CellParameters& cell, int h, int k, int l) {
  const double degree = std::numbers::pi / 180.0;
  const double ca = std::cos(cell.alpha * degree);
  const double cb = std::cos(cell.beta * degree);
  const double cg = std::cos(cell.gamma * degree);
  const double a = cell.a, b = cell.b, c = cell.c;
  const double g[3][3] = {
      {a * a, a * b * cg, a * c * cb}, {a * b * cg, b * b, b * c * ca}, {a * c * cb, b * c * ca, c * c}};
  const double det = g[0][0] * (g[1][1] * g[2][2] - g[1][2] * g[2][1]) -
                     g[0][1] * (g[1][0] * g[2][2] - g[1][2] * g[2][0]) +
                     g[0][2] * (g[1][0] * g[2][1] - g[1][1] * g[2][0]);
  double inverse[3][3];
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      const int i1 = (j + 1) % 3, i2 = (j + 2) % 3, j1 = (i + 1) % 3, j2 = (i + 2) % 3;
      inverse[i][j] = (g[i1][j1] * g[i2][j2] - g[i1][j2] * g[i2][j1]) / det;
    }
  }
  const double v[3] = {double(h), double(k), double(l)};
  double q = 0;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      q += v[i] * inverse[i][j] * v[j];
    }
  }
  const double lambda = cell.wavelength;
  return lambda * lambda / 4 * q;
}

double referenceVolume(const CellParameters& cell) {
  const double degree = std::numbers::pi / 180.0;
  const double ca = std::cos(cell.alpha * degree);
  const double cb = std::cos(cell.beta * degree);
  const double cg = std::cos(cell.gamma * degree);
  return double{cell.a} * cell.b * cell.c * std::sqrt(1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg);
}

struct NamedCell {
  const char* name;
  CellParameters cell;
};

void PrintTo(const NamedCell& c, std::ostream* out) { *out << c.name; }

class GeneralCells : public ::testing::TestWithParam<NamedCell> {};

// The single-precision radians and stored terms allow a few units in the
// last place of single precision.
constexpr double singleUlp = std::numeric_limits<float>::epsilon();

TEST_P(GeneralCells, SinSquaredThetaMatchesMetricTensor) {
  const CellParameters& cell = GetParam().cell;
  const ReciprocalCell r = prepareReciprocalCell(cell);
  const int indices[][3] = {{1, 0, 0},  {0, 1, 0},  {0, 0, 1},  {1, 1, 1},  {1, -1, 1},
                            {-2, 1, 3}, {3, 0, -2}, {2, -3, 1}, {4, 4, -4}, {-1, 2, -5}};
  for (const auto& hkl : indices) {
    const double expected = referenceSinSquared(cell, hkl[0], hkl[1], hkl[2]);
    EXPECT_NEAR(sinSquaredTheta(r, hkl[0], hkl[1], hkl[2]), expected, 6 * singleUlp * expected)
        << hkl[0] << " " << hkl[1] << " " << hkl[2];
  }
}

TEST_P(GeneralCells, VolumeMatchesCosineFormula) {
  const CellParameters& cell = GetParam().cell;
  const double expected = referenceVolume(cell);
  EXPECT_NEAR(cellVolume(cell), expected, 6 * singleUlp * expected);
}

TEST_P(GeneralCells, TwoThetaIsTwiceArcsine) {
  const CellParameters& cell = GetParam().cell;
  const ReciprocalCell r = prepareReciprocalCell(cell);
  const float s = sinSquaredTheta(r, 2, -1, 3);
  const double expected = 2 * std::asin(std::sqrt(double{s})) * 180 / std::numbers::pi;
  EXPECT_NEAR(twoThetaDegrees(s), expected, 4 * singleUlp * expected);
}

INSTANTIATE_TEST_SUITE_P(Cells, GeneralCells,
                         ::testing::Values(NamedCell{"monoclinic", {5.52F, 7.21F, 9.13F, 90, 104.3F, 90, 1.5406F}},
                                           NamedCell{"hexagonal", {4.913F, 4.913F, 5.405F, 90, 90, 120, 1.5406F}},
                                           NamedCell{"triclinic", {5.1F, 6.3F, 7.4F, 82.3F, 76.5F, 69.8F, 0.7093F}}),
                         [](const ::testing::TestParamInfo<NamedCell>& info) { return std::string(info.param.name); });

TEST(CellGeometry, CubicVolumeIsEdgeCubed) { EXPECT_NEAR(cellVolume(cubicCell), 1000.0, 1e-3); }

struct ImpossibleCell {
  const char* name;
  CellParameters cell;
};

void PrintTo(const ImpossibleCell& c, std::ostream* out) { *out << c.name; }

class ImpossibleCells : public ::testing::TestWithParam<ImpossibleCell> {};

TEST_P(ImpossibleCells, HaveNoVolumeAboveZero) {
  const double volume = cellVolume(GetParam().cell);
  EXPECT_FALSE(std::isfinite(volume) && volume > 0) << volume;
}

INSTANTIATE_TEST_SUITE_P(Cells, ImpossibleCells,
                         ::testing::Values(ImpossibleCell{"anglesThatCannotClose", {5, 5, 5, 10, 10, 170, 1.54F}},
                                           ImpossibleCell{"zeroEdge", {5, 0, 5, 90, 90, 90, 1.54F}},
                                           ImpossibleCell{"negativeEdge", {5, 5, -5, 90, 90, 90, 1.54F}},
                                           ImpossibleCell{"allZero", {0, 0, 0, 0, 0, 0, 0}},
                                           ImpossibleCell{"hugeEdges", {1e20F, 1e20F, 1e20F, 90, 90, 90, 1.54F}}),
                         [](const ::testing::TestParamInfo<ImpossibleCell>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace kestran
