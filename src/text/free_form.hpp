#pragma once
// Free-form (list-directed) reads. One ListRead object is one read statement:
// it starts on a fresh line, takes values one after another, continuing onto
// following lines as needed, and on finish() drops whatever is left of the
// last line it touched.
//
// Values are separated by blanks, tabs, one comma or line ends; a comma at the
// end of a line is one separator with the line end. Two commas with nothing
// between them give a null value, and a slash ends the statement early: both
// leave their variables unchanged. r*c stands for r copies of c, r* for r
// null values.

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "text/blanks.hpp"
#include "text/line_reader.hpp"
#include "text/number_reading.hpp"

namespace kestran {

class ListRead {
 public:
  explicit ListRead(LineReader& source);
  // A statement over one line already taken from `source` (its last line):
  // its values end with that line, as if the input ended there.
  ListRead(LineReader& source, std::string_view line);

  // Each reads the next value into its variable (unchanged for a null value
  // or after a slash). A value that is not a number of the variable's type
  // stops the run with a list-directed syntax error, which says what was
  // `expected` when given; false when the input ends before the value is
  // found.
  // The usual value, a short number on the current line, is read inline
  // (a reader of many values pays it per value); anything else the general
  // way, out of line.
  [[nodiscard]] bool integer(std::int32_t& variable, std::string_view expected = {}) {
    return quickValue(variable) || generalInteger(variable, expected);
  }
  [[nodiscard]] bool real(float& variable, std::string_view expected = {}) {
    return quickValue(variable) || generalReal(variable, expected);
  }

  // Takes the next value, whatever its text (a number or not); false when
  // the input ends before it.
  [[nodiscard]] bool anyValue();

  // The line of the statement's first value or null (0 before one).
  long firstLine() const { return firstLine_; }
  // Whether values stand on the statement's last line after the ones it
  // took (a slash ends the statement and the rest with it): finish() drops
  // them.
  bool valuesLeft() const;
  // The unread rest of the statement's last line.
  std::string_view rest() const { return rest_; }

  // Ends the statement: the next read starts on a fresh line.
  void finish();

  // From now on a value that is not a number does not stop the run: its text
  // goes to `text` and the read returns false, as at the end of the input.
  void keepRefusedValue(std::string& text);

 private:
  enum class Next { Value, Null, EndOfInput, Refused };
  Next nextValue(std::string_view& text);
  template <typename T>
  bool quickValue(T& variable);
  bool generalInteger(std::int32_t& variable, std::string_view expected);
  bool generalReal(float& variable, std::string_view expected);
  template <typename T, typename Parse>
  bool generalValue(T& variable, Parse parse, std::string_view expected);
  bool takeFirstLine();
  bool skipToValue();
  std::string_view takeToken(bool& hasStar);
  void refuse(std::string_view text, std::string_view expected);

  LineReader& source_;
  std::string_view rest_;  // unread part of the current line
  bool haveLine_ = false;
  bool afterValue_ = false;       // a value was taken and its separator not yet
  bool stopped_ = false;          // a slash ended the statement
  std::int64_t repeatsLeft_ = 0;  // further copies of repeated_ still to hand out
  bool repeatIsNull_ = false;
  std::string_view repeated_;
  std::string* refused_ = nullptr;  // where a refused value goes; null: stop the run
  long firstLine_ = 0;
  bool oneLine_ = false;  // the values end with the line given
};

namespace free_form {

// What ends a value: a blank, a comma or a slash.
constexpr bool endsValue(char c) { return isBlank(c) || c == ',' || c == '/'; }

// The first character at or after p that is not a blank: spaces a word at
// a time, and tabs.
inline const char* skipBlanks(const char* p, const char* end) {
  p = skipLeadingBlanks(p, end);
  while (p != end && *p == '\t') {
    p = skipLeadingBlanks(p + 1, end);
  }
  return p;
}

}  // namespace free_form

// The usual value in one pass: on the current line, not repeated, not a
// null, a short number ended by a separator or the line's end. Anything else
// (and what this does not take is left as it was) goes the general way,
// which gives the same value wherever both apply.
template <typename T>
bool ListRead::quickValue(T& variable) {
  if (repeatsLeft_ > 0 || stopped_ || (!haveLine_ && !takeFirstLine())) {
    return false;
  }
  const char* const lineEnd = rest_.data() + rest_.size();
  const char* const start = free_form::skipBlanks(rest_.data(), lineEnd);
  if (start == lineEnd) {
    return false;
  }
  const char* const scanEnd =
      lineEnd - start > static_cast<long>(shortDecimalLimit) ? start + shortDecimalLimit : lineEnd;
  ShortDecimal scan;
  const char* const stop = scanShortDecimalFrom(start, scanEnd, std::is_same_v<T, float>, scan);
  if (stop == nullptr || (stop != lineEnd && !free_form::endsValue(*stop))) {
    return false;
  }
  bool converted = false;
  if constexpr (std::is_same_v<T, float>) {
    converted = shortDecimalReal(scan, 0, variable);
  } else {
    converted = shortDecimalInteger(scan, variable);
  }
  if (!converted) {
    return false;
  }
  if (firstLine_ == 0) {
    firstLine_ = source_.lineNumber();
  }
  rest_ = std::string_view(stop, static_cast<std::size_t>(lineEnd - stop));
  afterValue_ = true;
  return true;
}

// The same statement for an answer that may be asked again: a value that is
// not a number (std::int32_t or float) is handed back in `refusedText`.
enum class AnswerRead { Read, NotANumber, EndOfInput };
template <typename T>
AnswerRead tryReadOne(LineReader& source, T& value, std::string& refusedText);

}  // namespace kestran
