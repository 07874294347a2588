#pragma once
// The one table of reflections that every stage reads and writes in place:
// parallel columns holding rows 0..n-1 (row i of the program's messages is
// index i-1), plus the run-wide scalars. Each column means one thing for the
// whole run.

#include <cstdint>
#include <vector>

#include "reflections/input_code.hpp"

namespace kestran {

// The classic capacity of the table; a run may be given another, up to
// maxCapacity (--max-reflections).
inline constexpr int defaultCapacity = 40000;
inline constexpr int maxCapacity = 10'000'000;

// An amplitude of exactly this value in the entry file marks a row removed
// before it reaches the program.
inline constexpr float removedInInputMarker = -1.0F;

// What became of a row: kept, or removed, and why.
enum class RowStatus : std::uint8_t { Kept, RemovedInInput, RemovedByPrevious, RemovedByNext, RemovedByBoth };

inline bool isKept(RowStatus status) { return status == RowStatus::Kept; }

// a, b, c in the length unit of the wavelength; alpha, beta, gamma in
// degrees; then the wavelength, in the order the entry file gives them.
struct CellParameters {
  float a = 0, b = 0, c = 0;
  float alpha = 0, beta = 0, gamma = 0;
  float wavelength = 0;
};

struct ReflectionTable {
  std::vector<std::int32_t> H, K, L;
  std::vector<float> FOBS;          // amplitude as read (SIRPOW: square root of the intensity read)
  std::vector<float> SIGF;          // its standard deviation as read
  std::vector<float> EXTRA;         // peak width (SIRPOW, EXPO) or the JFOU=4 third value
  std::vector<std::int32_t> FLAG;   // integer code of JFOU=2 lines, 1 once eliminated
  std::vector<float> SIN2THETA;     // sin^2(theta) from the cell (codes 1, 3, 4), the ordering key
  std::vector<float> TWOTHETA;      // 2theta in degrees: read (SIRPOW) or from SIN2THETA once ordered
  std::vector<std::int32_t> ORDER;  // file row (from 1) of each row once ordered
  std::vector<RowStatus> STATUS;

  int inputCode = 0;
  CellParameters cell{};
  int capacity = defaultCapacity;  // most rows a run takes
  int N = 0;                       // reflection count of a FULLPROF file, capped at the capacity
  float D = 0;                     // fixed window of a FULLPROF file, degrees 2theta
  float DELTA = 0;                 // factor of the peak width (SIRPOW, EXPO), typed by the user
  int n = 0;                       // rows filled

  // Sets the number of rows: columns are cut, or grow with zeroed rows.
  void resizeRows(int rows);
};

// Console counts stand in five columns in the classic table; with a larger
// capacity a count that needs more columns takes them instead of asterisks.
inline bool widensCounts(const ReflectionTable& table) { return table.capacity > defaultCapacity; }

// The window of the run: D for FULLPROF data, DELTA for SIRPOW and EXPO.
inline float runWindow(const ReflectionTable& table) {
  return usesWidthWindow(table.inputCode) ? table.DELTA : table.D;
}

}  // namespace kestran
