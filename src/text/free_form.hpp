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

#include "text/line_reader.hpp"

namespace kestran {

class ListRead {
 public:
  explicit ListRead(LineReader& source);

  // Each reads the next value into its variable (unchanged for a null value
  // or after a slash). A value that is not a number of the variable's type
  // stops the run with a list-directed syntax error, which says what was
  // `expected` when given; false when the input ends before the value is
  // found.
  [[nodiscard]] bool integer(std::int32_t& variable, std::string_view expected = {});
  [[nodiscard]] bool real(float& variable, std::string_view expected = {});

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
  template <typename T, typename Parse>
  bool value(T& variable, Parse parse, std::string_view expected);
  template <typename T, typename Parse>
  bool generalValue(T& variable, Parse parse, std::string_view expected);
  template <typename T>
  bool quickValue(T& variable);
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
};

// The same statement for an answer that may be asked again: a value that is
// not a number (std::int32_t or float) is handed back in `refusedText`.
enum class AnswerRead { Read, NotANumber, EndOfInput };
template <typename T>
AnswerRead tryReadOne(LineReader& source, T& value, std::string& refusedText);

}  // namespace kestran
