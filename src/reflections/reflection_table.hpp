#pragma once
// The one table of reflections that every stage reads and writes in place:
// parallel columns of fixed capacity plus the run-wide scalars. Rows are
// numbered 1..n in the program's terms and stored at index row-1.

#include <array>
#include <cstdint>
#include <memory>

namespace kestran {

inline constexpr int MAXREF = 40000;

// The input codes typed at the menu, one per entry-file flavour.
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

// A row is removed exactly when its FOBS holds this value.
inline constexpr float removedMarker = -1.0F;

// a, b, c in the length unit of the wavelength; alpha, beta, gamma in
// degrees; then the wavelength, in the order the entry file gives them.
struct CellParameters {
  float a = 0, b = 0, c = 0;
  float alpha = 0, beta = 0, gamma = 0;
  float wavelength = 0;
};

struct ReflectionTable {
  template <typename T>
  using Column = std::array<T, MAXREF>;

  Column<std::int32_t> H{}, K{}, L{};
  Column<float> FOBS{}, SIGF{}, EXTRA{};
  Column<std::int32_t> FLAG{};
  Column<float> POS{};
  Column<std::int32_t> ORDER{};
  Column<std::int32_t> ISCRATCH{};
  Column<float> RSCRATCH{};

  int inputCode = 0;
  CellParameters cell{};
  int N = 0;    // reflection count of the file, capped at MAXREF
  float D = 0;  // fixed window in degrees 2theta, or DELTA
  int n = 0;    // rows filled
};

// The table is 1.8 MB: allocate it once, zeroed, on the heap.
inline std::unique_ptr<ReflectionTable> makeReflectionTable() {
  return std::make_unique<ReflectionTable>();
}

inline bool isRemoved(const ReflectionTable& table, int index) {
  return table.FOBS[index] == removedMarker;
}

}  // namespace kestran
