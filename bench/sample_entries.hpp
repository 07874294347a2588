#pragma once
// Deterministic entry files for the benchmarks: the reflections of one large
// monoclinic cell (a Mo K-alpha1 pattern), enumerated in order of angle, with
// amplitudes from a fixed pseudo-random sequence. The same call gives the
// same text on every run.

#include <string>

namespace kestran::bench {

// Most reflections one entry file can hold (the reflections of the cell).
inline constexpr int maxSampleCount = 50000;

// The entry file of InputCode `inputCode` (1, 4, 2 or 3) with the `count`
// lowest-angle reflections of the cell. FULLPROF files list them grouped by
// index, as a Le Bail listing does; SIRPOW files in order of angle.
// FULLPROF files carry `window` (degrees 2theta) on their count line.
std::string sampleEntry(int inputCode, int count, double window = 0.02);

}  // namespace kestran::bench
