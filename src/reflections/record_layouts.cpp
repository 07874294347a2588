#include "reflections/record_layouts.hpp"

#include "text/number_text.hpp"

namespace kestran {

namespace {

// Reads the fields of one record from left to right, each starting where the
// one before it ended, and keeps the columns of the first that fails.
class FieldReader {
 public:
  FieldReader(std::string_view line, ColumnRange* badField) : line_(line), badField_(badField) {}

  // Each field takes the quick path when the line holds all its columns and
  // the usual text; every other case goes to the general reader.
  FieldReader& integer(FieldFormat format, std::int32_t& value) {
    if (ok_ && !(holds(format) && quickIntegerField(fieldStart(), fieldLength(format), value))) {
      ok_ = readIntegerField(line_, column_, format.width, value);
    }
    return advance(format);
  }
  FieldReader& real(FieldFormat format, float& value) {
    if (ok_ && !(holds(format) && quickFixedPointField(fieldStart(), fieldLength(format), format.decimals, value))) {
      ok_ = readFixedPointField(line_, column_, format.width, format.decimals, value);
    }
    return advance(format);
  }
  bool ok() const { return ok_; }

 private:
  bool holds(FieldFormat format) const {
    return static_cast<std::size_t>(column_ - 1 + format.width) <= line_.size();
  }
  const char* fieldStart() const { return line_.data() + (column_ - 1); }
  static std::size_t fieldLength(FieldFormat format) {
    return static_cast<std::size_t>(format.width < maxFieldWidth ? format.width : maxFieldWidth);
  }

  FieldReader& advance(FieldFormat format) {
    if (!ok_ && !reported_) {
      reported_ = true;
      if (badField_ != nullptr) *badField_ = {column_, column_ + format.width - 1};
    }
    column_ += format.width;
    return *this;
  }

  std::string_view line_;
  ColumnRange* badField_;
  int column_ = 1;
  bool ok_ = true;
  bool reported_ = false;
};

static_assert(3 * wideJfou4Record.index.width + 3 * wideJfou4Record.value.width + 1 <= maxRecordLength);
static_assert(3 * wideShelxRecord.index.width + 2 * wideShelxRecord.value.width + wideShelxRecord.flag.width + 1 <=
              maxRecordLength);

// Builds one record at a place given, field after field.
class RecordBuilder {
 public:
  explicit RecordBuilder(char* out) : end_(out) {}

  RecordBuilder& integer(FieldFormat format, std::int32_t value) {
    formatInteger(end_, format.width, value);
    return advance(format);
  }
  RecordBuilder& real(FieldFormat format, float value) {
    formatFixedPoint(end_, format.width, format.decimals, value);
    return advance(format);
  }
  char* endLine() {
    *end_++ = '\n';
    return end_;
  }

 private:
  RecordBuilder& advance(FieldFormat format) {
    end_ += format.width;
    return *this;
  }

  char* end_;
};

}  // namespace

bool readRecord(std::string_view line, const ShelxLayout& layout, ShelxValues& values, ColumnRange* badField) {
  return FieldReader(line, badField)
      .integer(layout.index, values.h)
      .integer(layout.index, values.k)
      .integer(layout.index, values.l)
      .real(layout.value, values.value)
      .real(layout.sigma, values.sigma)
      .integer(layout.flag, values.flag)
      .ok();
}

bool readRecord(std::string_view line, const Jfou4Layout& layout, Jfou4Values& values, ColumnRange* badField) {
  return FieldReader(line, badField)
      .integer(layout.index, values.h)
      .integer(layout.index, values.k)
      .integer(layout.index, values.l)
      .real(layout.value, values.value)
      .real(layout.sigma, values.sigma)
      .real(layout.extra, values.extra)
      .ok();
}

char* formatRecord(char* out, const ShelxLayout& layout, const ShelxValues& values) {
  return RecordBuilder(out)
      .integer(layout.index, values.h)
      .integer(layout.index, values.k)
      .integer(layout.index, values.l)
      .real(layout.value, values.value)
      .real(layout.sigma, values.sigma)
      .integer(layout.flag, values.flag)
      .endLine();
}

char* formatRecord(char* out, const Jfou4Layout& layout, const Jfou4Values& values) {
  return RecordBuilder(out)
      .integer(layout.index, values.h)
      .integer(layout.index, values.k)
      .integer(layout.index, values.l)
      .real(layout.value, values.value)
      .real(layout.sigma, values.sigma)
      .real(layout.extra, values.extra)
      .endLine();
}

void writeRecord(std::ostream& out, const ShelxLayout& layout, const ShelxValues& values) {
  char text[maxRecordLength];
  out.write(text, formatRecord(text, layout, values) - text);
}

void writeRecord(std::ostream& out, const Jfou4Layout& layout, const Jfou4Values& values) {
  char text[maxRecordLength];
  out.write(text, formatRecord(text, layout, values) - text);
}

}  // namespace kestran
