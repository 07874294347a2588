#pragma once
// Deterministic entry files for the benchmarks: the reflections of one large
// monoclinic cell (a Mo K-alpha1 pattern), enumerated in order of angle, with
// amplitudes from a fixed pseudo-random sequence. The same call gives the
// same text on every run.

#include <string>

namespace kestran::bench {

// Reflections the base cell gives (a file of more uses a larger cell).
inline constexpr int baseSampleCount = 45000;

// The entry file of InputCode `inputCode` (1, 4, 2 or 3) with the `count`
// lowest-angle reflections of the cell: the base cell up to baseSampleCount
// reflections (so files of up to 40000 are as they always were), a larger
// one with the same angles' range above. FULLPROF files list them grouped by
// index, as a Le Bail listing does; SIRPOW files in order of angle.
// FULLPROF files carry `window` (degrees 2theta) on their count line.
std::string sampleEntry(int inputCode, int count, double window = 0.02);

// A FULLPROF JFOU=2 file of `count` reflections whose positions form the
// ordering's costliest ties: descending runs of growing length 1, 2, 3, ...
// from one top value (as the staircase of bench/ordering_bench.cpp), the
// reflection (h, 0, 0) of a large cubic cell standing for level h - 1.
std::string staircaseEntry(int count, double window = 0.02);

}  // namespace kestran::bench
