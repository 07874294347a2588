#include "reflections/record_layouts.hpp"

#include "text/number_text.hpp"

namespace kestran {

namespace {

// Reads the fields of one record from left to right, each starting where the
// one before it ended, and keeps the columns of the first that fails.
class FieldReader {
 public:
  FieldReader(std::string_view line, ColumnRange* badField) : line_(line), badField_(badField) {}

  FieldReader& integer(FieldFormat format, std::int32_t& value) {
    if (ok_) ok_ = readIntegerField(line_, column_, format.width, value);
    return advance(format);
  }
  FieldReader& real(FieldFormat format, float& value) {
    if (ok_) ok_ = readFixedPointField(line_, column_, format.width, format.decimals, value);
    return advance(format);
  }
  bool ok() const { return ok_; }

 private:
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

// Builds one record in a fixed buffer and writes it in one call.
class RecordBuilder {
 public:
  RecordBuilder& integer(FieldFormat format, std::int32_t value) {
    formatInteger(text_ + length_, format.width, value);
    length_ += format.width;
    return *this;
  }
  RecordBuilder& real(FieldFormat format, float value) {
    formatFixedPoint(text_ + length_, format.width, format.decimals, value);
    length_ += format.width;
    return *this;
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

void writeRecord(std::ostream& out, const ShelxLayout& layout, const ShelxValues& values) {
  RecordBuilder()
      .integer(layout.index, values.h)
      .integer(layout.index, values.k)
      .integer(layout.index, values.l)
      .real(layout.value, values.value)
      .real(layout.sigma, values.sigma)
      .integer(layout.flag, values.flag)
      .writeLine(out);
}

void writeRecord(std::ostream& out, const Jfou4Layout& layout, const Jfou4Values& values) {
  RecordBuilder()
      .integer(layout.index, values.h)
      .integer(layout.index, values.k)
      .integer(layout.index, values.l)
      .real(layout.value, values.value)
      .real(layout.sigma, values.sigma)
      .real(layout.extra, values.extra)
      .writeLine(out);
}

}  // namespace kestran
