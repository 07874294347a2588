#include "text/free_form.hpp"

#include <array>
#include <type_traits>

#include "text/blanks.hpp"
#include "text/number_reading.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

void skipBlanks(std::string_view& text) {
  const char* const start = text.data();
  text.remove_prefix(static_cast<std::size_t>(free_form::skipBlanks(start, start + text.size()) - start));
}

}  // namespace

ListRead::ListRead(LineReader& source) : source_(source) {}

ListRead::ListRead(LineReader& source, std::string_view line)
    : source_(source), rest_(line), haveLine_(true), oneLine_(true) {}

// Moves to the next character that is not a blank or a line end, reading
// further lines as needed; false when the input ends first.
bool ListRead::skipToValue() {
  for (;;) {
    if (haveLine_) {
      skipBlanks(rest_);
      if (!rest_.empty()) {
        return true;
      }
    }
    if (oneLine_ || !source_.next(rest_)) {
      haveLine_ = false;
      return false;
    }
    haveLine_ = true;
  }
}

std::string_view ListRead::takeToken(bool& hasStar) {
  const char* const start = rest_.data();
  const char* const end = start + rest_.size();
  // One look-up per character: what ends a token, and the repeat star.
  static constexpr auto kinds = [] {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) {
      table[static_cast<std::size_t>(c)] = free_form::endsValue(static_cast<char>(c)) ? 1 : (c == '*' ? 2 : 0);
    }
    return table;
  }();
  const char* p = start;
  unsigned seen = 0;
  for (; p != end; ++p) {
    const unsigned kind = kinds[static_cast<unsigned char>(*p)];
    if (kind == 1) {
      break;
    }
    seen |= kind;
  }
  hasStar = seen != 0;
  const auto length = static_cast<std::size_t>(p - start);
  const std::string_view token = rest_.substr(0, length);
  rest_.remove_prefix(length);
  return token;
}

ListRead::Next ListRead::nextValue(std::string_view& text) {
  if (repeatsLeft_ > 0) {
    --repeatsLeft_;
    text = repeated_;
    return repeatIsNull_ ? Next::Null : Next::Value;
  }
  if (stopped_) {
    return Next::Null;
  }
  if (!skipToValue()) {
    return Next::EndOfInput;
  }
  if (firstLine_ == 0) {
    firstLine_ = source_.lineNumber();
  }
  if (rest_.front() == ',') {
    rest_.remove_prefix(1);
    if (afterValue_) {
      // The comma that separates the previous value from this one.
      afterValue_ = false;
      if (!skipToValue()) {
        return Next::EndOfInput;
      }
      if (rest_.front() == ',') {
        rest_.remove_prefix(1);
        return Next::Null;
      }
    } else {
      return Next::Null;
    }
  }
  if (rest_.front() == '/') {
    stopped_ = true;
    return Next::Null;
  }
  bool hasStar = false;
  const std::string_view token = takeToken(hasStar);
  afterValue_ = true;
  if (!hasStar) {
    text = token;
    return Next::Value;
  }
  const std::size_t star = token.find('*');
  std::int32_t count = 0;
  if (!parseInteger(token.substr(0, star), count) || count < 1 || token[0] == '+' || token[0] == '-') {
    refuse(token, {});
    return Next::Refused;
  }
  repeated_ = token.substr(star + 1);
  repeatIsNull_ = repeated_.empty();
  repeatsLeft_ = count - 1;
  text = repeated_;
  return repeatIsNull_ ? Next::Null : Next::Value;
}

// The statement's first line, as the general way would read it.
bool ListRead::takeFirstLine() {
  if (oneLine_ || !source_.next(rest_)) {
    return false;
  }
  haveLine_ = true;
  return true;
}

template <typename T, typename Parse>
bool ListRead::generalValue(T& variable, Parse parse, std::string_view expected) {
  std::string_view text;
  switch (nextValue(text)) {
    case Next::EndOfInput:
    case Next::Refused:
      return false;
    case Next::Null:
      return true;
    case Next::Value:
      if (!parse(text, variable)) {
        refuse(text, expected);
        return false;
      }
      return true;
  }
  return true;
}

void ListRead::refuse(std::string_view text, std::string_view expected) {
  if (refused_ == nullptr) {
    std::string detail = ": ";
    detail += quoted(text);
    if (!expected.empty()) {
      detail += ": expected ";
      detail += expected;
    }
    source_.failOnLine(report::listSyntaxError, detail);
  }
  *refused_ = text;
}

bool ListRead::anyValue() {
  std::string_view text;
  return nextValue(text) != Next::EndOfInput;
}

bool ListRead::valuesLeft() const {
  if (stopped_ || !haveLine_) {
    return false;
  }
  // A comma right after the last value is its separator, not a null.
  for (const char c : rest_) {
    if (!isBlank(c) && c != ',') {
      return true;
    }
  }
  return false;
}

void ListRead::keepRefusedValue(std::string& text) { refused_ = &text; }

bool ListRead::generalInteger(std::int32_t& variable, std::string_view expected) {
  return generalValue(variable, parseInteger, expected);
}

bool ListRead::generalReal(float& variable, std::string_view expected) {
  return generalValue(variable, parseReal, expected);
}

void ListRead::finish() {
  rest_ = {};
  firstLine_ = 0;
  haveLine_ = false;
  afterValue_ = false;
  stopped_ = false;
  repeatsLeft_ = 0;
}

template <typename T>
AnswerRead tryReadOne(LineReader& source, T& value, std::string& refusedText) {
  refusedText.clear();
  ListRead read(source);
  read.keepRefusedValue(refusedText);
  bool found = false;
  if constexpr (std::is_same_v<T, float>) {
    found = read.real(value);
  } else {
    found = read.integer(value);
  }
  read.finish();
  if (!found) {
    return refusedText.empty() ? AnswerRead::EndOfInput : AnswerRead::NotANumber;
  }
  return AnswerRead::Read;
}

template AnswerRead tryReadOne(LineReader&, std::int32_t&, std::string&);
template AnswerRead tryReadOne(LineReader&, float&, std::string&);

}  // namespace kestran
