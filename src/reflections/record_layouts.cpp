#include "reflections/record_layouts.hpp"

#include <type_traits>

#include "text/number_writing.hpp"

namespace kestran {

namespace {

// Reads the fields of one record from left to right, each starting where the
// one before it ended, and keeps the columns of the first that fails and of
// the first with blanks inside its number.
class FieldReader {
 public:
  FieldReader(std::string_view line, RecordFaults* faults) : line_(line), faults_(faults) {}

  FieldReader& field(FieldFormat format, std::int32_t& value) {
    if (ok_) {
      ok_ = readIntegerField(line_, column_, format.width, value);
    }
    return advance(format);
  }
  FieldReader& field(FieldFormat format, float& value) {
    if (ok_) {
      ok_ = readFixedPointField(line_, column_, format.width, format.decimals, value);
    }
    return advance(format);
  }
  bool ok() const { return ok_; }

 private:
  FieldReader& advance(FieldFormat format) {
    const ColumnRange columns{column_, column_ + format.width - 1};
    if (faults_ != nullptr) {
      if (!ok_ && faults_->notANumber.first == 0) {
        faults_->notANumber = columns;
      }
      if (ok_ && faults_->blanksInside.first == 0 && hasBlanksInside(fieldText(line_, columns))) {
        faults_->blanksInside = columns;
      }
    }
    column_ += format.width;
    return *this;
  }

  std::string_view line_;
  RecordFaults* faults_;
  int column_ = 1;
  bool ok_ = true;
};

// Looks at each field's decimal point, as pointsFit describes.
class PointChecker {
 public:
  explicit PointChecker(std::string_view line) : line_(line) {}

  PointChecker& field(FieldFormat format, const std::int32_t& /*value*/) {
    fits_ = fits_ && pointAt(format) == std::string_view::npos;
    return advance(format);
  }
  PointChecker& field(FieldFormat format, const float& /*value*/) {
    const std::size_t point = pointAt(format);
    fits_ = fits_ &&
            (point == std::string_view::npos || point == static_cast<std::size_t>(format.width - format.decimals - 1));
    return advance(format);
  }
  bool ok() const { return fits_; }

 private:
  std::size_t pointAt(FieldFormat format) const {
    return fieldText(line_, {column_, column_ + format.width - 1}).find('.');
  }
  PointChecker& advance(FieldFormat format) {
    column_ += format.width;
    return *this;
  }

  std::string_view line_;
  int column_ = 1;
  bool fits_ = true;
};

// Builds one record at a place given, field after field.
class RecordBuilder {
 public:
  explicit RecordBuilder(char* out) : end_(out) {}

  RecordBuilder& field(FieldFormat format, std::int32_t value) {
    formatInteger(end_, format.width, value);
    end_ += format.width;
    return *this;
  }
  RecordBuilder& field(FieldFormat format, float value) {
    formatFixedPoint(end_, format.width, format.decimals, value);
    end_ += format.width;
    return *this;
  }
  char* endLine() {
    *end_++ = '\n';
    return end_;
  }

 private:
  char* end_;
};

static_assert(!EveryLayout::any([]<const auto & layout>() { return recordColumns(layout) + 1 > maxRecordLength; }));

template <typename Values>
constexpr bool fitsQuickFields(const RecordLayout<Values>& layout) {
  return layout.index.width <= maxFieldWidth && layout.value.width <= maxFieldWidth &&
         layout.sigma.width <= maxFieldWidth && layout.last.width <= maxFieldWidth;
}
static_assert(!EveryLayout::any([]<const auto & layout>() { return !fitsQuickFields(layout); }));

// Reads each field through the quick reader, from a line that holds all the
// record's columns. Walking a layout known when the program is built, the
// compiler makes a reader for its widths.
class QuickFieldReader {
 public:
  explicit QuickFieldReader(const char* line) : at_(line) {}

  [[gnu::always_inline]] QuickFieldReader& field(FieldFormat format, std::int32_t& value) {
    ok_ = ok_ && quickIntegerField(at_, static_cast<std::size_t>(format.width), value);
    at_ += format.width;
    return *this;
  }
  [[gnu::always_inline]] QuickFieldReader& field(FieldFormat format, float& value) {
    ok_ = ok_ && quickFixedPointField(at_, static_cast<std::size_t>(format.width), format.decimals, value);
    at_ += format.width;
    return *this;
  }
  bool ok() const { return ok_; }

 private:
  const char* at_;
  bool ok_ = true;
};

}  // namespace

template <typename Values>
bool quickRecordOf(const RecordLayout<Values>& layout, const char* line, Values& values) {
  bool read = false;
  // The reader made for a known layout is chosen by its fields.
  const auto madeFor = [&]<const auto & known>() {
    if constexpr (std::is_same_v<std::remove_cvref_t<decltype(known)>, RecordLayout<Values>>) {
      if (layout == known) {
        read = eachField(QuickFieldReader(line), known, values).ok();
        return true;
      }
    }
    return false;
  };
  if (EveryLayout::any(madeFor)) {
    return read;
  }
  return fitsQuickFields(layout) && eachField(QuickFieldReader(line), layout, values).ok();
}

template <typename Values>
bool readRecordFields(std::string_view line, const RecordLayout<Values>& layout, Values& values, RecordFaults* faults) {
  return eachField(FieldReader(line, faults), layout, values).ok();
}

template <typename Values>
bool pointsFit(std::string_view line, const RecordLayout<Values>& layout) {
  const Values unread{};
  return eachField(PointChecker(line), layout, unread).ok();
}

template <typename Values>
char* formatRecord(char* out, const RecordLayout<Values>& layout, const Values& values) {
  return eachField(RecordBuilder(out), layout, values).endLine();
}

template bool quickRecordOf(const RecordLayout<ShelxValues>&, const char*, ShelxValues&);
template bool quickRecordOf(const RecordLayout<Jfou4Values>&, const char*, Jfou4Values&);
template bool readRecordFields(std::string_view, const RecordLayout<ShelxValues>&, ShelxValues&, RecordFaults*);
template bool readRecordFields(std::string_view, const RecordLayout<Jfou4Values>&, Jfou4Values&, RecordFaults*);
template bool pointsFit(std::string_view, const RecordLayout<ShelxValues>&);
template bool pointsFit(std::string_view, const RecordLayout<Jfou4Values>&);
template char* formatRecord(char*, const RecordLayout<ShelxValues>&, const ShelxValues&);
template char* formatRecord(char*, const RecordLayout<Jfou4Values>&, const Jfou4Values&);

}  // namespace kestran
