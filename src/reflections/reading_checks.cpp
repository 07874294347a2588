#include "reflections/reading_checks.hpp"

#include <cctype>

#include "reflections/entry_checks.hpp"
#include "text/console_text.hpp"
#include "text/formatted.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

bool hasDecimalComma(std::string_view line) {
  for (std::size_t i = 1; i + 1 < line.size(); ++i) {
    if (line[i] == ',' && std::isdigit(static_cast<unsigned char>(line[i - 1])) != 0 &&
        std::isdigit(static_cast<unsigned char>(line[i + 1])) != 0) {
      return true;
    }
  }
  return false;
}

int wordCount(std::string_view text) {
  int words = 0;
  bool inWord = false;
  for (const char c : text) {
    const bool blank = c == ' ' || c == '\t' || c == ',';
    words += !blank && !inWord ? 1 : 0;
    inWord = !blank;
  }
  return words;
}

}  // namespace

std::string shortNumber(float value) { return formatted("%g", double{value}); }

void failAtEnd(const LineReader& entry, std::string_view expected, long found) {
  if (entry.lineNumber() == 0) {
    entry.failAt(report::endOfFile, 1, ": " + std::string(expected) + ", the file is empty");
  }
  entry.failOnLine(report::endOfFile, ": " + std::string(expected) + ", the file ends after " + std::to_string(found));
}

void failOnNoReflection(const LineReader& entry, ReadEvents& events, const NoReflection& where) {
  events.noReflectionRead(where);
  if (where.fromCount) {
    // A count line of more than two values is likely a reflection line: the
    // cell line before it lacked a value.
    const bool moreThanTwo = wordCount(where.lineText) > 2;
    entry.failAt(report::noReflection, where.lineNumber,
                 ": " + quoted(where.lineText) + ": the count " + std::to_string(where.count) +
                     " announces no reflection; expected a count of 1 or more" +
                     (moreThanTwo ? " (is a value, the wavelength say, missing from the cell line?)" : ""));
  }
  entry.failAt(report::noReflection, entry.lineNumber(),
               ": no complete reflection after line " + std::to_string(where.lineNumber) +
                   "; expected the reflections to the end of the file");
}

void RecordChecks::finish(ListRead& read, std::string_view what, int recordValues, bool tellEach) {
  if (read.firstLine() != 0 && read.firstLine() != entry_.lineNumber() && (tellEach || spilled_++ == 0)) {
    events_.warning(entry_.fileName(), read.firstLine(),
                    std::string(what) + " goes on to line " + std::to_string(entry_.lineNumber()) +
                        "; is a value missing from this line?");
  }
  if (read.valuesLeft()) {
    if (read.firstLine() == entry_.lineNumber() && isDecimalCommaLine(entry_.lastLine(), recordValues)) {
      if (decimalCommas_++ == 0) {
        firstDecimalComma_ = entry_.lineNumber();
        firstDecimalCommaText_ = entry_.lastLine();
      }
      if (tellEach) {
        failOnDecimalCommas(what);
      }
    } else if (tellEach || valuesLeft_++ == 0) {
      std::string message = "values after " + std::string(what) + " are dropped: " + quoted(read.rest());
      if (hasDecimalComma(entry_.lastLine())) {
        message += "; a decimal comma (0,05) reads as two values";
      }
      events_.warning(entry_.fileName(), entry_.lineNumber(), message);
    }
  }
  read.finish();
}

void RecordChecks::tellCounts(std::string_view what) const {
  if (decimalCommas_ > 0) {
    failOnDecimalCommas(what);
  }
  if (spilled_ > 1) {
    events_.warning(entry_.fileName(), 0, countOf(spilled_, "reflection") + " in all go on to a later line");
  }
  if (valuesLeft_ > 1) {
    events_.warning(entry_.fileName(), 0, countOf(valuesLeft_, "line") + " in all have values after the reflection");
  }
}

void RecordChecks::failOnDecimalCommas(std::string_view what) const {
  const std::string inAll = decimalCommas_ > 1 ? "; " + countOf(decimalCommas_, "line") + " in all hold them" : "";
  throw inputError(entry_.fileName(), firstDecimalComma_,
                   quoted(firstDecimalCommaText_) + " holds decimal commas: it reads as more values than " +
                       std::string(what) + " takes, and its numbers would be wrong" + inAll +
                       "; expected decimal points: write 0.05, not 0,05");
}

void markZeroIndices(ReflectionTable& table, int index, const LineReader& entry, ReadEvents& events,
                     RowChecks& checks) {
  table.status[index] = RowStatus::ZeroIndices;
  if (checks.zeroIndexRows++ == 0) {
    events.warning(entry.fileName(), table.line[index],
                   "reflection 0 0 0 " + quoted(entry.lastLine()) +
                       " is not written: h, k and l are all 0; check that the line is not shifted and holds every "
                       "value");
  }
}

void warnOfDecreasingAngle(const ReflectionTable& table, int index, const LineReader& entry, ReadEvents& events,
                           RowChecks& checks, std::string_view inFileOrder) {
  if (checks.decreasingTold || index == 0 || !(table.twoTheta[index] < table.twoTheta[index - 1])) {
    return;
  }
  checks.decreasingTold = true;
  events.warning(entry.fileName(), table.line[index],
                 "2theta " + shortNumber(table.twoTheta[index]) + " is below the " +
                     shortNumber(table.twoTheta[index - 1]) + " of line " + std::to_string(table.line[index - 1]) +
                     ": " + std::string(inFileOrder) + "; expected ascending 2theta");
}

void tellRowChecks(const RowChecks& checks, const LineReader& entry, ReadEvents& events) {
  if (checks.zeroIndexRows > 1) {
    events.warning(entry.fileName(), 0, countOf(checks.zeroIndexRows, "reflection") + " 0 0 0 in all, none written");
  }
}

}  // namespace kestran
