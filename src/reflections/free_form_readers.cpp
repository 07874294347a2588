// The free-form readers: EXPO and SIRPOW files, whose reflections run to
// the end of the file, each read as a list of values that may go on to the
// next line.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "reflections/entry_checks.hpp"
#include "reflections/entry_lines.hpp"
#include "reflections/entry_readers.hpp"
#include "reflections/flavours.hpp"
#include "reflections/free_form_lists.hpp"
#include "reflections/reading_checks.hpp"
#include "reflections/single_precision.hpp"
#include "text/blanks.hpp"
#include "text/console_text.hpp"
#include "text/free_form.hpp"

namespace kestran {

namespace {

// The free-form reflection records and their sizes.
constexpr std::string_view expoRecord = "the reflection (h k l FWHM F)";
constexpr int expoValues = 5;
constexpr std::string_view sirpowRecord = "the reflection (h k l m x 2theta FWHM I sigma)";
constexpr int sirpowValues = 9;

// One free-form read of h, k, l, peak width, amplitude; false when the file
// ends before all five are found. Null values leave the row's zeros.
bool readExpoReflection(ReflectionTable& table, int index, LineReader& entry, RecordChecks& records) {
  ListRead read(entry);
  const bool complete =
      read.integer(table.h[index], "h, a whole number") && read.integer(table.k[index], "k, a whole number") &&
      read.integer(table.l[index], "l, a whole number") && read.real(table.peakWidth[index], "FWHM, a number") &&
      read.real(table.amplitude[index], "F, a number");
  if (!complete) {
    return false;
  }
  table.line[index] = static_cast<std::int32_t>(read.firstLine());
  records.finish(read, expoRecord, expoValues, false);
  return true;
}

}  // namespace

// The reflection lists of EXPO and SIRPOW run to the end of the file. Once
// the rows are full, whatever is not blank on the following lines is lost,
// and the caller is told so, with the lines left, a reflection each. The
// rest of the last line read is not looked at: every free-form read drops
// the rest of its line, so it is never data.
void reportUnreadRest(const ReflectionTable& table, LineReader& entry, ReadEvents& events) {
  std::string_view line;
  long linesLeft = 0;
  long firstLeft = 0;
  while (entry.next(line)) {
    if (!isBlankLine(line) && linesLeft++ == 0) {
      firstLeft = entry.lineNumber();
      events.rowsCut(table.capacity);
    }
  }
  if (linesLeft > 0) {
    warnOfCut(entry, firstLeft, events, table.capacity, table.capacity + linesLeft,
              "the table is full at " + std::to_string(table.capacity) + " reflections and " +
                  countOf(static_cast<int>(std::min<long>(linesLeft, std::numeric_limits<int>::max())), "more line") +
                  (linesLeft == 1 ? " follows" : " follow") + " from here");
  }
}

// An EXPO or SIRPOW file that holds no complete reflection after its header
// (and cell) lines stops the run; otherwise what the rows showed is told.
void finishList(const ReflectionTable& table, long lastLineBefore, const LineReader& entry, ReadEvents& events,
                const RowChecks& checks) {
  if (table.rows == 0) {
    failOnNoReflection(entry, events, NoReflection{false, 0, lastLineBefore, {}});
  }
  tellRowChecks(checks, entry, events);
}

void readExpo(ReflectionTable& table, LineReader& entry, ReadEvents& events) {
  skipHeaderLines(entry, flavourOf(table).headerLines);
  readCellLine(table.cell, entry, events);
  table.announcedCount = table.capacity;
  const long cellLine = entry.lineNumber();
  const ReciprocalCell reciprocal = checkedReciprocalCell(table.cell, entry, cellLine);
  RowChecks checks;
  readToEnd(table, entry, events, expoRecord, readExpoReflection,
            [&](ReflectionTable& rows, int index) { finishRow(rows, index, reciprocal, entry, events, checks); });
  finishList(table, cellLine, entry, events, checks);
  checkSomeRealAngle(table, entry, cellLine);
}

namespace {

// One free-form read of h, k, l, the multiplicity, a real that is not kept,
// 2theta, peak width, intensity and the 9th value, which gives SIGF.
bool readSirpowReflection(ReflectionTable& table, int index, LineReader& entry, RecordChecks& records) {
  float unusedReal = 0;
  ListRead read(entry);
  const bool complete =
      read.integer(table.h[index], "h, a whole number") && read.integer(table.k[index], "k, a whole number") &&
      read.integer(table.l[index], "l, a whole number") &&
      read.integer(table.multiplicity[index], "the 4th value, a whole number") &&
      read.real(unusedReal, "the 5th value, a number") && read.real(table.twoTheta[index], "2theta, a number") &&
      read.real(table.peakWidth[index], "FWHM, a number") &&
      read.real(table.amplitude[index], "the intensity, a number") &&
      read.real(table.sigma[index], table.sigmasFromFile
                                        ? std::string_view("the 9th value (sigma(I)), a number")
                                        : std::string_view("the 9th value (twice sigma(F)), a number"));
  if (!complete) {
    return false;
  }
  table.line[index] = static_cast<std::int32_t>(read.firstLine());
  records.finish(read, sirpowRecord, sirpowValues, false);
  table.amplitude[index] = sirpowAmplitude(table.amplitude[index]);
  table.sigma[index] = table.sigmasFromFile ? sirpowAmplitudeSigma(table.sigma[index], table.amplitude[index])
                                            : sirpowSigma(table.sigma[index]);
  return true;
}

}  // namespace

void readSirpow(ReflectionTable& table, LineReader& entry, ReadEvents& events) {
  const int headerLines = flavourOf(table).headerLines;
  skipHeaderLines(entry, headerLines);
  RowChecks checks;
  readToEnd(table, entry, events, sirpowRecord, readSirpowReflection, [&](ReflectionTable& rows, int index) {
    markRow(rows, index, entry, events, checks);
    warnOfDecreasingAngle(rows, index, entry, events, checks,
                          "SIRPOW rows are compared with their neighbours in file order");
  });
  finishList(table, headerLines, entry, events, checks);
}

float sirpowAmplitude(float intensity) {
  if (intensity < 0) {
    return 0.0F;
  }
  return roundToSingle(std::sqrt(double{intensity}));
}

float sirpowSigma(float lastValue) { return roundToSingle(double{lastValue} * 0.5); }

float sirpowAmplitudeSigma(float intensitySigma, float amplitude) {
  const double sigma = intensitySigma;
  if (amplitude == 0) {
    return roundToSingle(std::copysign(std::sqrt(std::fabs(sigma)), sigma));
  }
  return roundToSingle(sigma / (2.0 * double{amplitude}));
}

}  // namespace kestran
