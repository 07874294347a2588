#include "reflections/record_layouts.hpp"

#include <algorithm>

#include "reflections/number_text.hpp"

namespace kestran {

namespace {

// Widest field of any layout; a field is copied here without its blanks.
constexpr int maxFieldWidth = 16;

// The field's characters with blanks removed; a line that ends before the
// field's last column counts as padded with blanks.
std::string_view fieldWithoutBlanks(std::string_view line, int column, int width, char* buffer) {
  const std::size_t start = static_cast<std::size_t>(column - 1);
  int length = 0;
  if (start < line.size()) {
    const std::string_view field = line.substr(start, static_cast<std::size_t>(width));
    for (const char c : field) {
      if (c != ' ') {
        buffer[length++] = c;
      }
    }
  }
  return {buffer, static_cast<std::size_t>(length)};
}

struct Field {
  int column;
  int width;
  int decimals;
};

constexpr Field fieldH{1, 4, 0};
constexpr Field fieldK{5, 4, 0};
constexpr Field fieldL{9, 4, 0};

bool readIndices(std::string_view line, std::int32_t& h, std::int32_t& k, std::int32_t& l) {
  return readIntegerField(line, fieldH.column, fieldH.width, h) &&
         readIntegerField(line, fieldK.column, fieldK.width, k) &&
         readIntegerField(line, fieldL.column, fieldL.width, l);
}

bool readReal(std::string_view line, const Field& field, float& value) {
  return readFixedPointField(line, field.column, field.width, field.decimals, value);
}

// Builds one record in a fixed buffer and writes it in one call.
class RecordBuilder {
 public:
  RecordBuilder& integer(int width, std::int32_t value) {
    formatInteger(text_ + length_, width, value);
    length_ += width;
    return *this;
  }
  RecordBuilder& fixed(int width, int decimals, float value) {
    formatFixedPoint(text_ + length_, width, decimals, value);
    length_ += width;
    return *this;
  }
  RecordBuilder& indices(std::int32_t h, std::int32_t k, std::int32_t l) {
    return integer(4, h).integer(4, k).integer(4, l);
  }
  void writeLine(std::ostream& out) {
    text_[length_++] = '\n';
    out.write(text_, length_);
  }

 private:
  char text_[80];
  int length_ = 0;
};

}  // namespace

bool readIntegerField(std::string_view line, int column, int width, std::int32_t& value) {
  char buffer[maxFieldWidth];
  const std::string_view text = fieldWithoutBlanks(line, column, std::min(width, maxFieldWidth), buffer);
  if (text.empty()) {
    value = 0;
    return true;
  }
  return parseInteger(text, value);
}

bool readFixedPointField(std::string_view line, int column, int width, int decimals, float& value) {
  char buffer[maxFieldWidth];
  const std::string_view text = fieldWithoutBlanks(line, column, std::min(width, maxFieldWidth), buffer);
  return parseFixedPoint(text, decimals, value);
}

bool readLayoutA(std::string_view line, CodedRecord& record) {
  return readIndices(line, record.h, record.k, record.l) && readReal(line, {13, 8, 2}, record.value) &&
         readReal(line, {21, 8, 3}, record.sigma) && readIntegerField(line, 29, 4, record.code);
}

bool readLayoutB(std::string_view line, TripleRecord& record) {
  return readIndices(line, record.h, record.k, record.l) && readReal(line, {13, 10, 4}, record.value) &&
         readReal(line, {23, 10, 4}, record.sigma) && readReal(line, {33, 10, 4}, record.extra);
}

void writeLayoutA(std::ostream& out, const CodedRecord& record) {
  RecordBuilder()
      .indices(record.h, record.k, record.l)
      .fixed(8, 2, record.value)
      .fixed(8, 3, record.sigma)
      .integer(4, record.code)
      .writeLine(out);
}

void writeLayoutB(std::ostream& out, const TripleRecord& record) {
  RecordBuilder()
      .indices(record.h, record.k, record.l)
      .fixed(10, 4, record.value)
      .fixed(10, 4, record.sigma)
      .fixed(10, 4, record.extra)
      .writeLine(out);
}

void writeLayoutC(std::ostream& out, const CodedRecord& record) {
  RecordBuilder()
      .indices(record.h, record.k, record.l)
      .fixed(12, 2, record.value)
      .fixed(12, 2, record.sigma)
      .integer(4, record.code)
      .writeLine(out);
}

void writeLayoutD(std::ostream& out, const TripleRecord& record) {
  RecordBuilder()
      .indices(record.h, record.k, record.l)
      .fixed(14, 3, record.value)
      .fixed(14, 3, record.sigma)
      .fixed(14, 3, record.extra)
      .writeLine(out);
}

}  // namespace kestran
