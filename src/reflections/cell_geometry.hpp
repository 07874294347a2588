#pragma once
// Unit-cell geometry: the reciprocal cell, prepared once per run, turns Miller
// indices into sin^2(theta); sin^2(theta) converts to 2theta in degrees.
// Every stored quantity is single precision; the arithmetic inside one
// formula is carried in double precision.

#include <cstdint>

#include "reflections/reflection_table.hpp"

namespace kestran {

struct ReciprocalCell {
  float aStar = 0, bStar = 0, cStar = 0;
  float cosAlphaStar = 0, cosBetaStar = 0, cosGammaStar = 0;
  float wavelengthFactor = 0;  // lambda^2 / 4
};

ReciprocalCell prepareReciprocalCell(const CellParameters& cell);

// The cell volume exactly as prepareReciprocalCell computes it (in double
// precision, never rounded). It is a finite number above zero only for a cell
// that can exist.
double cellVolume(const CellParameters& cell);
float sinSquaredTheta(const ReciprocalCell& reciprocal, std::int32_t h, std::int32_t k, std::int32_t l);
float twoThetaDegrees(float sinSquared);

// lambda^2 / 4 in single precision, as the reciprocal cell holds it.
float wavelengthFactorOf(float wavelength);
// The sin^2(theta) of a d-spacing, on the road of a cell's: Q = 1/d^2 in
// double precision, then s = Q x lambda^2/4 rounded to single.
float sinSquaredThetaOfD(float wavelengthFactor, float d);
// The sin^2(theta) of a 2theta in degrees, rounded to single: where a list
// gives its angles, it gives the d-spacings at the wavelength.
float sinSquaredThetaOfAngle(float twoTheta);

// A row has a real angle exactly when 0 <= sin^2(theta) <= 1: the values for
// which twoThetaDegrees gives a number. SIRPOW rows carry their 2theta and
// keep a sin^2(theta) of zero, so they always have one.
inline bool hasRealAngle(float sinSquared) { return sinSquared >= 0 && sinSquared <= 1; }

}  // namespace kestran
