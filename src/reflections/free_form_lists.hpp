#pragma once
// Free-form reflection lists read to the end of the file (EXPO, SIRPOW, a
// described column list): the reading loop, the rest after a full table,
// and the end of a list.

#include <algorithm>
#include <cstddef>
#include <limits>

#include "reflections/entry_readers.hpp"
#include "reflections/reading_checks.hpp"
#include "reflections/reflection_table.hpp"
#include "text/line_reader.hpp"

namespace kestran {

// The lists run to the end of the file. Once the rows are full, whatever is
// not blank on the following lines is lost, and the caller is told so. The
// rest of the last line read is not looked at: every free-form read drops
// the rest of its line, so it is never data.
void reportUnreadRest(const ReflectionTable& table, LineReader& entry, ReadEvents& events);

// Reads free-form reflections into new rows until the file ends or the table
// is full; a reflection cut by the end of the file is dropped. The columns
// grow in doubling steps of zeroed rows and are cut to the rows read.
template <typename ReadReflection, typename FinishRow>
void readToEnd(ReflectionTable& table, LineReader& entry, ReadEvents& events, std::string_view record,
               ReadReflection readReflection, FinishRow finish) {
  RecordChecks records(entry, events);
  // Room reserved, not touched, for the rows the file can hold at the
  // shortest usual line: the columns then grow in place, without a copy.
  constexpr std::size_t shortestLine = 16;
  const std::size_t bytesLeft = entry.bytesLeftHint();
  table.reserveRows(bytesLeft == std::numeric_limits<std::size_t>::max()
                        ? 0
                        : static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(table.capacity),
                                                                 bytesLeft / shortestLine + 1)));
  constexpr int firstRows = 1024;
  int filled = 0;
  while (filled < table.capacity) {
    if (filled == table.rows) {
      table.resizeRows(std::min(table.capacity, std::max(firstRows, 2 * filled)));
    }
    if (!readReflection(table, filled, entry, records)) {
      break;
    }
    finish(table, filled);
    ++filled;
  }
  table.resizeRows(filled);
  records.tellCounts(record);
  if (filled == table.capacity) {
    reportUnreadRest(table, entry, events);
  }
}

// A list that holds no complete reflection after its header (and cell)
// lines stops the run; otherwise what the rows showed is told.
void finishList(const ReflectionTable& table, long lastLineBefore, const LineReader& entry, ReadEvents& events,
                const RowChecks& checks);

}  // namespace kestran
