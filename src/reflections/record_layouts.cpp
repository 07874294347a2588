#include "reflections/record_layouts.hpp"

#include <type_traits>

#include "text/number_text.hpp"

namespace kestran {

namespace {

// Reads the fields of one record from left to right, each starting where the
// one before it ended, and keeps the columns of the first that fails.
class FieldReader {
 public:
  FieldReader(std::string_view line, ColumnRange* badField) : line_(line), badField_(badField) {}

  FieldReader& field(FieldFormat format, std::int32_t& value) {
    if (ok_) ok_ = readIntegerField(line_, column_, format.width, value);
    return advance(format);
  }
  FieldReader& field(FieldFormat format, float& value) {
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
  RecordBuilder& field(FieldFormat format, std::int32_t value) {
    formatInteger(text_ + length_, format.width, value);
    length_ += format.width;
    return *this;
  }
  RecordBuilder& field(FieldFormat format, float value) {
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

std::int32_t& lastValue(ShelxValues& values) { return values.flag; }
std::int32_t lastValue(const ShelxValues& values) { return values.flag; }
float& lastValue(Jfou4Values& values) { return values.extra; }
float lastValue(const Jfou4Values& values) { return values.extra; }

// Hands every field of the record, in column order, to the reader or builder.
template <typename Fields, typename Values>
Fields& eachField(Fields&& fields, const RecordLayout<std::remove_const_t<Values>>& layout, Values& values) {
  return fields.field(layout.index, values.h)
      .field(layout.index, values.k)
      .field(layout.index, values.l)
      .field(layout.value, values.value)
      .field(layout.sigma, values.sigma)
      .field(layout.last, lastValue(values));
}

}  // namespace

template <typename Values>
bool readRecord(std::string_view line, const RecordLayout<Values>& layout, Values& values, ColumnRange* badField) {
  return eachField(FieldReader(line, badField), layout, values).ok();
}

template <typename Values>
void writeRecord(std::ostream& out, const RecordLayout<Values>& layout, const Values& values) {
  eachField(RecordBuilder(), layout, values).writeLine(out);
}

template bool readRecord(std::string_view, const RecordLayout<ShelxValues>&, ShelxValues&, ColumnRange*);
template bool readRecord(std::string_view, const RecordLayout<Jfou4Values>&, Jfou4Values&, ColumnRange*);
template void writeRecord(std::ostream&, const RecordLayout<ShelxValues>&, const ShelxValues&);
template void writeRecord(std::ostream&, const RecordLayout<Jfou4Values>&, const Jfou4Values&);

}  // namespace kestran
