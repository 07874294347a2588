#include "reflections/cell_geometry.hpp"

#include <cmath>

#include "reflections/single_precision.hpp"

namespace kestran {

namespace {

// Both constants are the single-precision values the classic program
// computes with: 2 pi rounded to single, and 360/pi (2theta in degrees is
// twice theta in radians times 180/pi) as written there to 8 digits. The
// exact values would move last bits of every angle.
constexpr float twoPi = 6.2831855F;
constexpr float degreesPerHalfRadian = 114.59156F;

float toRadians(float degrees) { return roundToSingle((double{degrees} * twoPi) / 360.0); }

struct CellRadians {
  float alpha, beta, gamma;
};

CellRadians anglesInRadians(const CellParameters& cell) {
  return {toRadians(cell.alpha), toRadians(cell.beta), toRadians(cell.gamma)};
}

// The triclinic volume in its half-sum form, V = 2abc sqrt(sin S sin(S-alpha)
// sin(S-beta) sin(S-gamma)) with S = (alpha+beta+gamma)/2: the product
// under the root is built one factor at a time, each rounded where the
// classic program stores it.
double volumeFrom(const CellParameters& cell, const CellRadians& angles) {
  const double alpha = angles.alpha;
  const double beta = angles.beta;
  const double gamma = angles.gamma;
  const float halfSum = roundToSingle((beta + alpha + gamma) * 0.5);
  const float twoAbc = roundToSingle(((double{cell.a} * 2) * cell.b) * cell.c);
  const float p1 = roundToSingle(std::sin(double{halfSum}));
  const float p2 = roundToSingle(std::sin(double{halfSum} - alpha) * p1);
  const float p3 = roundToSingle(std::sin(double{halfSum} - beta) * p2);
  return twoAbc * std::sqrt(std::sin(double{halfSum} - gamma) * p3);
}

}  // namespace

double cellVolume(const CellParameters& cell) { return volumeFrom(cell, anglesInRadians(cell)); }

ReciprocalCell prepareReciprocalCell(const CellParameters& cell) {
  const CellRadians angles = anglesInRadians(cell);
  const float alpha = angles.alpha;
  const float beta = angles.beta;
  const float gamma = angles.gamma;

  const float cosBeta = roundToSingle(std::cos(double{beta}));
  const float sinBeta = roundToSingle(std::sin(double{beta}));
  const float cosGamma = roundToSingle(std::cos(double{gamma}));
  const float sinGamma = roundToSingle(std::sin(double{gamma}));
  // Those of alpha stay in double precision.
  const double cosAlpha = std::cos(double{alpha});
  const double sinAlpha = std::sin(double{alpha});
  const double volume = volumeFrom(cell, angles);

  ReciprocalCell reciprocal;
  reciprocal.aStar = roundToSingle((double{cell.c} * cell.b) * sinAlpha / volume);
  reciprocal.bStar = roundToSingle((double{cell.c} * cell.a) * sinBeta / volume);
  reciprocal.cStar = roundToSingle((double{cell.b} * cell.a) * sinGamma / volume);
  reciprocal.cosAlphaStar = roundToSingle((double{cosBeta} * cosGamma - cosAlpha) / (double{sinBeta} * sinGamma));
  reciprocal.cosBetaStar = roundToSingle((double{cosGamma} * cosAlpha - cosBeta) / (double{sinGamma} * sinAlpha));
  reciprocal.cosGammaStar = roundToSingle((double{cosBeta} * cosAlpha - cosGamma) / (sinAlpha * sinBeta));
  reciprocal.wavelengthFactor = wavelengthFactorOf(cell.wavelength);
  return reciprocal;
}

// Q = h^2 a*^2 + k^2 b*^2 + l^2 c*^2 + 2kl b*c* cos alpha* + 2lh a*c* cos beta*
// + 2hk a*b* cos gamma*, in double; sin^2(theta) = Q lambda^2/4. The terms
// are added, and each product is multiplied, in the order written: double
// rounding depends on that order, and this one gives the classic bits.
float sinSquaredTheta(const ReciprocalCell& r, std::int32_t h, std::int32_t k, std::int32_t l) {
  const double dh = h;
  const double dk = k;
  const double dl = l;
  const double ha = dh * r.aStar;
  const double kb = dk * r.bStar;
  const double lc = dl * r.cStar;
  double q = ha * ha + kb * kb;
  q += lc * lc;
  q += (((dk * 2) * dl) * r.bStar) * r.cStar * r.cosAlphaStar;
  q += ((dl * (dh * 2)) * r.aStar) * r.cStar * r.cosBetaStar;
  q += ((dk * (dh * 2)) * r.aStar) * r.bStar * r.cosGammaStar;
  return roundToSingle(q * r.wavelengthFactor);
}

float twoThetaDegrees(float sinSquared) {
  const double t = double{sinSquared} / (1.0 - sinSquared);
  return roundToSingle(double{degreesPerHalfRadian} * std::atan(std::sqrt(t)));
}

float wavelengthFactorOf(float wavelength) { return roundToSingle((double{wavelength} * wavelength) * 0.25); }

float sinSquaredThetaOfD(float wavelengthFactor, float d) {
  const double q = 1.0 / (double{d} * d);
  return roundToSingle(q * wavelengthFactor);
}

float sinSquaredThetaOfAngle(float twoTheta) {
  constexpr double radiansPerHalfDegree = 0.008726646259971648;  // pi / 360
  const double sinTheta = std::sin(double{twoTheta} * radiansPerHalfDegree);
  return roundToSingle(sinTheta * sinTheta);
}

}  // namespace kestran
