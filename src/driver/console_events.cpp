#include "driver/console_events.hpp"

#include <algorithm>

#include "processing/resolution_limit.hpp"
#include "text/cat.hpp"
#include "text/console_text.hpp"
#include "text/formatted.hpp"
#include "text/run_error.hpp"

namespace kestran {

std::string limitText(const ResolutionLimit& limit) {
  std::string text;
  if (limit.dMin > 0) {
    text += formatted("d < %g A", double{limit.dMin});
  }
  if (limit.twoThetaMax > 0) {
    text += text.empty() ? "" : " or ";
    text += formatted("2theta > %g", double{limit.twoThetaMax});
  }
  return text;
}

void warnAboutInput(std::ostream& diagnostics, bool strict, std::string_view file, long lineNumber,
                    std::string_view what) {
  if (strict) {
    throw inputError(file, lineNumber, std::string(what) + " (--strict)");
  }
  diagnostics << "kestran: " << inputPlace(file, lineNumber) << ": warning: " << what << '\n';
}

void ConsoleEvents::batchWarning(long lineNumber, std::string_view what) {
  if (!settings_.batchEntry.empty()) {
    diagnostics_ << "kestran: " << inputPlace(settings_.batchEntry, lineNumber) << ": warning: " << what << '\n';
  }
}

void ConsoleEvents::rowsCut(int capacity) {
  if (console_ != nullptr) {
    writeCountLine(*console_, "  Your data will be truncated at ", capacity, " hkl", settings_.widen);
  }
  // The reader tells the cut on standard error in every run, with the count
  // and the option that reads the whole list.
}

void ConsoleEvents::noReflectionRead(const NoReflection& where) {
  std::string what = "no reflection read: ";
  if (where.fromCount) {
    what += "the count " + std::to_string(where.count) + " was taken from line " + std::to_string(where.lineNumber) +
            ": " + quoted(where.lineText);
  } else {
    what += "no complete reflection after line " + std::to_string(where.lineNumber);
  }
  // A batch run's report says "read 0 rows".
  if (console_ != nullptr) {
    *console_ << "  Warning: " << what << '\n';
  }
}

void ConsoleEvents::rowsWithoutRealAngle(std::string_view file, int count) {
  const std::string what = reflectionsHave(count) + " no real angle (sin^2(theta) above 1): check the wavelength";
  if (console_ != nullptr) {
    *console_ << "  Warning: " << what << '\n';
  }
  if (!settings_.strict) {
    batchWarning(0, what);
  }
  if (settings_.strict) {
    throw inputError(file, 0, what + " (--strict)");
  }
}

void ConsoleEvents::warning(std::string_view file, long lineNumber, std::string_view what) {
  warnAboutInput(diagnostics_, settings_.strict, file, lineNumber, what);
}

void ConsoleEvents::orderingStarts(int rows) {
  if (console_ == nullptr) {
    return;
  }
  *console_ << formatted("  START ORDERING  %5d  REFLEXIONS\n", rows);
}

void writeOutputSummary(std::ostream& console, const ReflectionTable& table, const WrittenSummary& summary) {
  const bool widen = widensCounts(table);
  writeCountLine(console, "  Number of HKL = ", table.rows, {}, widen);
  console << '\n';
  if (!flavourOf(table).writesOwnSigmas) {
    console << (table.sigmasFromFile ? "  ESD are taken from the entry file.... !!\n"
                                     : "  ESD are now FOBS/100.... !!\n");
    // A list's sigma of the intensity becomes that of the amplitude.
    if (table.sigmasFromFile && table.columns.sigmaOfIntensity()) {
      console << "  sigma(F) = sigma(I)/(2F), from the list's sigma of the intensity\n";
    }
    console << '\n';
  }
  writeCountLine(console, "  Final hkl number = ", summary.written, {}, widen);
  if (sharesOverlaps(table)) {
    console << "  Shared in groups =" << countField(table.groups.members, widen) << " in "
            << countField(table.groups.count(), widen) << " groups\n";
  }
  if (hasLimit(table.limit)) {
    const auto beyond = std::count(table.status.begin(), table.status.end(), RowStatus::BeyondLimit);
    writeCountLine(console, cat("  Beyond the limit (", limitText(table.limit), ") = "), static_cast<int>(beyond), {},
                   widen);
  }
  if (summary.beyondRange > 0) {
    console << "  Warning: " << beyondRangeWarning(summary.beyondRange) << '\n';
  }
}

std::string beyondRangeWarning(int rows) {
  return reflectionsHave(rows) + " an intensity beyond single precision, written as NaN or Infinity";
}

}  // namespace kestran
