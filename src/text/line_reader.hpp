#pragma once
// Sequential line source for one unit (the console or the entry file). A line
// that ends in CR LF is handed out exactly like one that ends in LF. The line
// buffer is reused, so reading allocates nothing once it has grown.

#include <istream>
#include <string>
#include <string_view>

namespace kestran {

class LineReader {
 public:
  LineReader(std::istream& in, int unitNumber, std::string fileName);

  // The next line without its line end; false at the end of the input.
  // The view stays valid until the next call.
  bool next(std::string_view& line);

  // Stops the run with a report of the given kind about this unit.
  [[noreturn]] void fail(std::string_view kind) const;
  // The same, followed by ", line N" and `detail` (as in ", columns 13-20:
  // ..." or ": ..."): N is the line last handed out.
  [[noreturn]] void failOnLine(std::string_view kind, std::string_view detail) const;
  [[noreturn]] void failAt(std::string_view kind, long lineNumber, std::string_view detail) const;

  // How many lines have been handed out; the number of the last one.
  long lineNumber() const { return lines_; }
  // The last line handed out (valid until the next call of next()).
  std::string_view lastLine() const { return last_; }

  int unitNumber() const { return unit_; }
  const std::string& fileName() const { return file_; }

 private:
  std::istream& in_;
  int unit_;
  std::string file_;
  std::string buffer_;
  long lines_ = 0;
  std::string_view last_;
};

}  // namespace kestran
