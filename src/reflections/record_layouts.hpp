#pragma once
// The fixed-column reflection records, each defined once by a table of its
// fields that drives both its reader and its writer.
//   shelxRecord      3I4, F8.2, F8.3, I4: FULLPROF JFOU=2 lines (the fields
//                    after these are never read), and the amplitude and
//                    intensity files in the SHELX layouts.
//   hklf4Record      3I4, 2F8.2, I4: SHELX's HKLF 4 intensity records, the
//                    intensity file of --layout=shelx for every code.
//   wideShelxRecord  3I4, 2F12.2, I4: the wide intensity file in the SHELX layouts.
//   jfou4Record      3I4, 3F10.4: FULLPROF JFOU=4 lines, and the amplitude
//                    and intensity files in the JFOU=4 layouts.
//   wideJfou4Record  3I4, 3F14.3: the wide intensity file in the JFOU=4 layouts.
// A written record ends after its last field and with a line end.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "text/block_writer.hpp"
#include "text/fixed_fields.hpp"

namespace kestran {

// Indices, a value and its standard deviation, and an integer flag.
struct ShelxValues {
  std::int32_t h = 0, k = 0, l = 0;
  float value = 0, sigma = 0;
  std::int32_t flag = 0;
};

// Indices, a value, its standard deviation and a third value carried through.
struct Jfou4Values {
  std::int32_t h = 0, k = 0, l = 0;
  float value = 0, sigma = 0, extra = 0;
};

// The field formats of one record: three index fields, then the value, its
// standard deviation and the last field (flag or third value).
template <typename RecordValues>
struct RecordLayout {
  using Values = RecordValues;
  FieldFormat index, value, sigma, last;
  friend constexpr bool operator==(const RecordLayout&, const RecordLayout&) = default;
};

inline constexpr RecordLayout<ShelxValues> shelxRecord{{4, 0}, {8, 2}, {8, 3}, {4, 0}};
inline constexpr RecordLayout<ShelxValues> hklf4Record{{4, 0}, {8, 2}, {8, 2}, {4, 0}};
inline constexpr RecordLayout<ShelxValues> wideShelxRecord{{4, 0}, {12, 2}, {12, 2}, {4, 0}};
inline constexpr RecordLayout<Jfou4Values> jfou4Record{{4, 0}, {10, 4}, {10, 4}, {10, 4}};
inline constexpr RecordLayout<Jfou4Values> wideJfou4Record{{4, 0}, {14, 3}, {14, 3}, {14, 3}};

// A list of layouts known when the program is built. any(visit) hands each
// in turn, as a template argument, to `visit.template operator()<layout>()`
// until one returns true: whether one did.
template <const auto&... layouts>
struct LayoutList {
  template <typename Visit>
  static constexpr bool any(Visit&& visit) {
    return (visit.template operator()<layouts>() || ...);
  }
};

// Every layout: the record readers' quick paths are made for each of these,
// and recognising kestran's own files tries each.
using EveryLayout = LayoutList<shelxRecord, hklf4Record, wideShelxRecord, jfou4Record, wideJfou4Record>;

// The last field's value: the flag, or the third value.
constexpr std::int32_t& lastValue(ShelxValues& values) { return values.flag; }
constexpr const std::int32_t& lastValue(const ShelxValues& values) { return values.flag; }
constexpr float& lastValue(Jfou4Values& values) { return values.extra; }
constexpr const float& lastValue(const Jfou4Values& values) { return values.extra; }

// The one walk over a record's fields: hands each, in column order, with
// its format and its value (std::int32_t or float, const when `values` is),
// to `fields.field(format, value)`, which returns `fields`. Readers,
// checkers and builders of records are such `fields`. Always inline: walking
// a layout known at build time, the compiler then makes a reader for its
// widths.
template <typename Fields, typename Values>
[[gnu::always_inline]] constexpr Fields& eachField(Fields&& fields,
                                                   const RecordLayout<std::remove_const_t<Values>>& layout,
                                                   Values& values) {
  return fields.field(layout.index, values.h)
      .field(layout.index, values.k)
      .field(layout.index, values.l)
      .field(layout.value, values.value)
      .field(layout.sigma, values.sigma)
      .field(layout.last, lastValue(values));
}

// What the reading of a record found wrong, by columns (first 0: nothing):
// the first field that is not a number, and the first whose number has
// blanks inside it, read as if they were not there.
struct RecordFaults {
  ColumnRange notANumber{0, 0};
  ColumnRange blanksInside{0, 0};
};

// The quick reader of a layout: every field through the short-decimal
// scanner, from a line that holds all the record's columns; false as soon
// as a field is not of the usual text, having set only the fields before
// it. A layout equal to one of EveryLayout's (by its fields, wherever it is
// stored) has a reader made for its widths; any other is read alike with
// the widths it holds.
template <typename Values>
bool quickRecordOf(const RecordLayout<Values>& layout, const char* line, Values& values);

// The general reading of every field, keeping what it finds in `faults`.
template <typename Values>
bool readRecordFields(std::string_view line, const RecordLayout<Values>& layout, Values& values, RecordFaults* faults);

// The columns of a record, without its line end.
template <typename Values>
constexpr std::size_t recordColumns(const RecordLayout<Values>& layout) {
  return static_cast<std::size_t>(3 * layout.index.width + layout.value.width + layout.sigma.width + layout.last.width);
}

// Reads one record (ShelxValues or Jfou4Values): false on the first field
// that is not a number. With `faults`, what the reading found goes there.
// The whole record goes through the quick reader when the line holds all
// its columns; otherwise, or when one field is not of the usual text, the
// general readers take it from the first field on. Inline: a reader of
// many lines pays it per line.
template <typename Values>
bool readRecord(std::string_view line, const RecordLayout<Values>& layout, Values& values,
                RecordFaults* faults = nullptr) {
  return (line.size() >= recordColumns(layout) && quickRecordOf(layout, line.data(), values)) ||
         readRecordFields(line, layout, values, faults);
}

// Whether the decimal points of `line` stand where `layout` puts them: each
// real field that holds a point holds it `decimals` columns before its end,
// and no index field holds one. A line of another layout read in this one
// shows itself so (the two FULLPROF layouts put their points apart).
template <typename Values>
bool pointsFit(std::string_view line, const RecordLayout<Values>& layout);

// The quick test before pointsFit: the sigma field's point stands in its
// column, as on nearly every line of the layout.
template <typename Values>
bool sigmaPointInPlace(std::string_view line, const RecordLayout<Values>& layout) {
  const auto column = static_cast<std::size_t>(3 * layout.index.width + layout.value.width + layout.sigma.width -
                                               layout.sigma.decimals);
  return line.size() >= column && line[column - 1] == '.';
}

// Builds one record at `out` (room for maxRecordLength characters), line
// end included; returns the end of what was written.
inline constexpr std::size_t maxRecordLength = 80;
template <typename Values>
char* formatRecord(char* out, const RecordLayout<Values>& layout, const Values& values);

// One record into the output's buffer.
template <typename Values>
void writeRecord(BlockWriter& out, const RecordLayout<Values>& layout, const Values& values) {
  out.commit(formatRecord(out.room(maxRecordLength), layout, values));
}

}  // namespace kestran
