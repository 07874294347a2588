#pragma once
// The input codes typed at the menu, one per entry-file flavour.

namespace kestran {

namespace code {
inline constexpr int fullprofJfou2 = 1;
inline constexpr int sirpow = 2;
inline constexpr int expo = 3;
inline constexpr int fullprofJfou4 = 4;
}  // namespace code

// FULLPROF files carry a fixed window in degrees 2theta; SIRPOW and EXPO rows
// carry a peak width that DELTA scales into each pair's window.
inline bool isFullprof(int inputCode) { return inputCode == code::fullprofJfou2 || inputCode == code::fullprofJfou4; }
inline bool usesWidthWindow(int inputCode) { return inputCode == code::sirpow || inputCode == code::expo; }

// SIRPOW rows keep the order of the file; every other flavour is ordered by angle.
inline bool isOrdered(int inputCode) { return inputCode != code::sirpow; }

}  // namespace kestran
