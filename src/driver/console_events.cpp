#include "driver/console_events.hpp"

#include <cstdio>

#include "text/console_text.hpp"
#include "text/run_error.hpp"

namespace kestran {

void ConsoleEvents::rowsCut(int capacity) {
  writeCountLine(console_, "  Your data will be truncated at ", capacity, " hkl", widen_);
}

void ConsoleEvents::noReflectionRead(const NoReflection& where) {
  console_ << "  Warning: no reflection read: ";
  if (where.fromCount) {
    console_ << "the count " << where.count << " was taken from line " << where.lineNumber << ": "
             << quoted(where.lineText) << '\n';
  } else {
    console_ << "no complete reflection after line " << where.lineNumber << '\n';
  }
}

void ConsoleEvents::rowsWithoutRealAngle(int count) {
  console_ << "  Warning: " << reflectionsHave(count)
           << " no real angle (sin^2(theta) above 1): check the wavelength\n";
}

void ConsoleEvents::orderingStarts(int rows) {
  char line[48];
  std::snprintf(line, sizeof line, "  START ORDERING  %5d  REFLEXIONS\n", rows);
  console_ << line;
}

void writeOutputSummary(std::ostream& console, const ReflectionTable& table, const WrittenSummary& summary) {
  const bool widen = widensCounts(table);
  writeCountLine(console, "  Number of HKL = ", table.rows, {}, widen);
  console << '\n';
  if (!flavourOf(table).writesOwnSigmas) {
    console << "  ESD are now FOBS/100.... !!\n\n";
  }
  writeCountLine(console, "  Final hkl number = ", summary.written, {}, widen);
  if (summary.beyondRange > 0) {
    console << "  Warning: " << reflectionsHave(summary.beyondRange)
            << " an intensity beyond single precision, written as NaN or Infinity\n";
  }
}

}  // namespace kestran
