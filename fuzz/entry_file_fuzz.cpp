// Fuzzes the whole run after the dialogue for one flavour (FUZZ_INPUT_CODE):
// the input is the entry file; the run's pipeline reads it, orders it
// (codes 1, 3 and 4), thins it and hands it to the writers, in memory. DELTA, for codes 2 and 3, is chosen by the
// input's length from a few telling values. A report may stop the run; it
// must be one of the reader's kinds, about the entry file. Otherwise the
// order must be the reference exchange sort's, every row not removed must be
// written once to each file at the layout's width, and a NaN or Infinity
// written must be counted by the writers.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "../tests/support/quiet_events.hpp"
#include "../tests/support/run_reports.hpp"
#include "fuzz_check.hpp"
#include "output/reflection_files.hpp"
#include "processing/elimination.hpp"
#include "processing/ordering.hpp"
#include "processing/pipeline.hpp"
#include "text/line_reader.hpp"
#include "text/run_error.hpp"

#ifndef FUZZ_INPUT_CODE
#error "FUZZ_INPUT_CODE selects the flavour"
#endif

namespace {

using namespace kestran;

constexpr int inputCode = FUZZ_INPUT_CODE;
const bool ordered = flavourOf(inputCode).ordered;
const bool ownSigmas = flavourOf(inputCode).writesOwnSigmas;
const char* const entryName = "fuzz.dat";

bool isReaderReport(const RunError& error) {
  const std::string_view kind = kindOf(error);
  return kind == report::endOfFile || kind == report::conversionError || kind == report::listSyntaxError ||
         kind == report::impossibleCell || kind == report::noReflection || kind == report::noRealAngle;
}

// A slip that would write wrong numbers, told as compilers tell an error
// about this file: "fuzz.dat:LINE: error: ...".
bool isInputError(const RunError& error) {
  const std::string& report = error.report();
  return report.starts_with(std::string(entryName) + ":") && report.find(": error: ") != std::string::npos;
}

// Among the rows whose angle is a number, ascending order.
void checkAscending(const ReflectionTable& table) {
  float previous = -INFINITY;
  for (int i = 0; i < table.rows; ++i) {
    if (!std::isnan(table.twoTheta[i])) {
      FUZZ_CHECK(previous <= table.twoTheta[i]);
      previous = table.twoTheta[i];
    }
  }
}

// For lists small enough, the order must be exactly that of the reference
// exchange sort of the same positions.
constexpr int referenceLimit = 300;

struct Reference {
  std::array<float, referenceLimit> positions{};
  std::array<std::int32_t, referenceLimit> order{};
};

void sortReference(const ReflectionTable& table, Reference& reference) {
  for (int i = 0; i < table.rows; ++i) {
    reference.positions[static_cast<std::size_t>(i)] = table.sinSquaredTheta[i];
    reference.order[static_cast<std::size_t>(i)] = i + 1;
  }
  exchangeSortPositions(reference.positions.data(), reference.order.data(), table.rows);
}

// Just before the ordering, the reference sorts the same positions.
class ReferenceEvents : public QuietEvents {
 public:
  ReferenceEvents(const ReflectionTable& table, float delta) : QuietEvents(delta), table_(table) {}
  void orderingStarts(int rows) override {
    compare = rows <= referenceLimit;
    if (compare) {
      sortReference(table_, reference);
    }
  }
  bool compare = false;
  Reference reference;

 private:
  const ReflectionTable& table_;
};

bool holdsNonFinite(const std::string& text) {
  return text.find("NaN") != std::string::npos || text.find("Inf") != std::string::npos;
}

// Every line of `text` is `width` characters long; returns the line count.
int checkLines(const std::string& text, std::size_t width) {
  int lines = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    FUZZ_CHECK(end != std::string::npos);
    FUZZ_CHECK(end - start == width);
    ++lines;
    start = end + 1;
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static constexpr float deltas[] = {1.5F, 0.0F, -1.0F, 1.0e30F, 3.4e38F};
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  // In blocks, as the program reads an entry file; small blocks of a size
  // that varies with the input, so that lines cross the blocks' ends.
  LineReader entry(in, unit::entry, entryName, LineReader::Reading::InBlocks, 1 + size % 97);
  ReflectionTable table;
  table.inputCode = inputCode;
  ReferenceEvents events(table, deltas[size % (sizeof deltas / sizeof deltas[0])]);
  std::ostringstream famp, fint, intensity;
  WrittenSummary summary;
  try {
    runPipeline(table, entry, events, [&](const ReflectionTable& rows) {
      summary = writeReflectionFiles(rows, {famp, fint, intensity});
    });
  } catch (const RunError& error) {
    FUZZ_CHECK(isInputError(error) || (isReaderReport(error) && concerns(error, unit::entry, entryName)));
    return 0;
  }
  FUZZ_CHECK(table.rows >= 0 && table.rows <= table.capacity);
  if (ordered) {
    checkAscending(table);
    for (int i = 0; events.compare && i < table.rows; ++i) {
      FUZZ_CHECK(table.fileRow[i] == events.reference.order[static_cast<std::size_t>(i)]);
    }
  }
  const int kept = countKept(table.status);
  FUZZ_CHECK(summary.written == kept);
  const int endRecords = ownSigmas ? 0 : 1;
  FUZZ_CHECK(checkLines(famp.str(), ownSigmas ? 42 : 32) == kept + endRecords);
  FUZZ_CHECK(checkLines(fint.str(), ownSigmas ? 42 : 32) == kept + endRecords);
  FUZZ_CHECK(checkLines(intensity.str(), ownSigmas ? 54 : 40) == kept);
  FUZZ_CHECK(!holdsNonFinite(famp.str()));
  FUZZ_CHECK((summary.beyondRange > 0) == holdsNonFinite(fint.str() + intensity.str()));
  return 0;
}
