#pragma once
// The four fixed-column reflection layouts, for reading and for writing.
//   LAYOUT-A  3I4, F8.2, F8.3, I4 (then fields the program neither reads nor
//             writes): FULLPROF JFOU=2 lines, and the amplitude and intensity
//             files for every code but 4.
//   LAYOUT-B  3I4, 3F10.4: FULLPROF JFOU=4 lines, and the amplitude and
//             intensity files for code 4.
//   LAYOUT-C  3I4, 2F12.2, I4: the wide intensity file for every code but 4.
//   LAYOUT-D  3I4, 3F14.3: the wide intensity file for code 4.
// Fields are read from exactly their columns with blanks ignored; a short
// line reads as if padded with blanks. Written records end after their last
// field and with a line end.

#include <cstdint>
#include <ostream>
#include <string_view>

namespace kestran {

// Indices, two reals and an integer code: LAYOUT-A and LAYOUT-C.
struct CodedRecord {
  std::int32_t h = 0, k = 0, l = 0;
  float value = 0, sigma = 0;
  std::int32_t code = 0;
};

// Indices and three reals: LAYOUT-B and LAYOUT-D.
struct TripleRecord {
  std::int32_t h = 0, k = 0, l = 0;
  float value = 0, sigma = 0, extra = 0;
};

// Field readers over one line; false when the field's characters cannot form
// its number. `column` counts from 1.
bool readIntegerField(std::string_view line, int column, int width, std::int32_t& value);
bool readFixedPointField(std::string_view line, int column, int width, int decimals, float& value);

// Record readers: false on the first field that is not a number.
bool readLayoutA(std::string_view line, CodedRecord& record);
bool readLayoutB(std::string_view line, TripleRecord& record);

// Record writers.
void writeLayoutA(std::ostream& out, const CodedRecord& record);
void writeLayoutB(std::ostream& out, const TripleRecord& record);
void writeLayoutC(std::ostream& out, const CodedRecord& record);
void writeLayoutD(std::ostream& out, const TripleRecord& record);

}  // namespace kestran
