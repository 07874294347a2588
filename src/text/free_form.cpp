#include "text/free_form.hpp"

#include <array>
#include <type_traits>

#include "text/blanks.hpp"
#include "text/number_reading.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

constexpr bool endsToken(char c) { return isBlank(c) || c == ',' || c == '/'; }

// The first character at or after p that is not a blank: spaces a word at
// a time, and tabs.
inline const char* skipBlanksFrom(const char* p, const char* end) {
  p = skipLeadingBlanks(p, end);
  while (p != end && *p == '\t') {
    p = skipLeadingBlanks(p + 1, end);
  }
  return p;
}

void skipBlanks(std::string_view& text) {
  const char* const start = text.data();
  text.remove_prefix(static_cast<std::size_t>(skipBlanksFrom(start, start + text.size()) - start));
}

}  // namespace

ListRead::ListRead(LineReader& source) : source_(source) {}

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
    if (!source_.next(rest_)) {
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
      table[static_cast<std::size_t>(c)] = endsToken(static_cast<char>(c)) ? 1 : (c == '*' ? 2 : 0);
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
  const char* const start = skipBlanksFrom(rest_.data(), lineEnd);
  if (start == lineEnd) {
    return false;
  }
  const char* const scanEnd =
      lineEnd - start > static_cast<long>(shortDecimalLimit) ? start + shortDecimalLimit : lineEnd;
  ShortDecimal scan;
  const char* const stop = scanShortDecimalFrom(start, scanEnd, std::is_same_v<T, float>, scan);
  if (stop == nullptr || (stop != lineEnd && !endsToken(*stop))) {
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

// The statement's first line, as the general way would read it; out of
// line, so that the quick path's caller saves no registers for it.
[[gnu::noinline]] bool ListRead::takeFirstLine() {
  if (!source_.next(rest_)) {
    return false;
  }
  haveLine_ = true;
  return true;
}

template <typename T, typename Parse>
bool ListRead::value(T& variable, Parse parse, std::string_view expected) {
  return quickValue(variable) || generalValue(variable, parse, expected);
}

// Kept out of line, so that the quick path's caller saves no registers for it.
template <typename T, typename Parse>
[[gnu::noinline]] bool ListRead::generalValue(T& variable, Parse parse, std::string_view expected) {
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

bool ListRead::integer(std::int32_t& variable, std::string_view expected) {
  return value(variable, parseInteger, expected);
}

bool ListRead::real(float& variable, std::string_view expected) { return value(variable, parseReal, expected); }

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
