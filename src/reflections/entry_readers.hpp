#pragma once
// Readers of the four entry-file flavours. Each fills the rows of the table
// with the columns of its flavour (the others keep their zero), and for
// codes 1, 3 and 4 each row's sinSquaredTheta as soon as it is read. A row
// whose amplitude is the entry file's removed marker gets the status
// RemovedInInput, every other row Kept.

#include <string>
#include <string_view>

#include "reflections/reflection_table.hpp"
#include "text/line_reader.hpp"

namespace kestran {

// Where a file that gave no reflection took that from: the count of a
// FULLPROF file and the line it stood on, or the line after which an EXPO or
// SIRPOW file holds no complete reflection.
struct NoReflection {
  bool fromCount = false;
  int count = 0;
  long lineNumber = 0;
  std::string lineText;  // the count's line, as read
};

// What the readers tell as they read; the caller decides what the console
// makes of it.
class ReadEvents {
 public:
  virtual ~ReadEvents() = default;
  // The file holds more reflections than the table takes: told as soon as
  // the count says so (FULLPROF), or when the table is full and more follows.
  virtual void rowsCut(int capacity) = 0;
  virtual void noReflectionRead(const NoReflection& where) = 0;
  // Rows read whose sin^2(theta) gives no real angle (codes 1, 3 and 4),
  // told once the file is read.
  virtual void rowsWithoutRealAngle(std::string_view file, int count) = 0;
  // Something in the entry file that looks wrong but is read as the rules
  // say: `lineNumber` 0 when it concerns the file as a whole.
  virtual void warning(std::string_view file, long lineNumber, std::string_view what) = 0;
};

// Reads the entry file of table.inputCode into rows 0..rows-1, setting the
// cell, the count and D as the flavour gives them; returns the rows read.
int readEntryFile(ReflectionTable& table, LineReader& entry, ReadEvents& events);

// The readers of each flavour, as the table of flavours names them.
void readFullprofJfou2(ReflectionTable& table, LineReader& entry, ReadEvents& events);
void readFullprofJfou4(ReflectionTable& table, LineReader& entry, ReadEvents& events);
void readSirpow(ReflectionTable& table, LineReader& entry, ReadEvents& events);
void readExpo(ReflectionTable& table, LineReader& entry, ReadEvents& events);
// A list described by its columns (table.columns), with the cell or the
// wavelength the run was given in table.cell.
void readColumnList(ReflectionTable& table, LineReader& entry, ReadEvents& events);

// SIRPOW rows: the amplitude is the square root of the intensity read (a
// negative intensity has no real amplitude and counts as zero), its sigma
// half the last value of the record.
float sirpowAmplitude(float intensity);
float sirpowSigma(float lastValue);
// With the sigmas of the file (table.sigmasFromFile) the last value is
// sigma(I), and sigma(F) = sigma(I) / (2F), in double and rounded once. At
// F = 0 (an intensity of 0 or below) that has no value: sigma(F) is then
// sqrt(sigma(I)), the limit of sqrt(I + sigma(I)) - sqrt(I) as I goes to 0,
// with the sign of sigma(I).
float sirpowAmplitudeSigma(float intensitySigma, float amplitude);

}  // namespace kestran
