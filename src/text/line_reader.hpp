#pragma once
// Sequential line source for one unit (the console or the entry file). A line
// that ends in CR LF is handed out exactly like one that ends in LF.
//
// The console is read line by line, so that each answer is taken when it is
// typed. An entry file is read in large blocks and its lines are handed out
// in place, without a copy and without a call per line into the stream;
// memory stays at one block (or the longest line) whatever the file's size.

#include <cstddef>
#include <cstring>
#include <istream>
#include <memory>
#include <string>
#include <string_view>

namespace kestran {

class LineReader {
 public:
  enum class Reading { ByLine, InBlocks };
  static constexpr std::size_t defaultBlockSize = std::size_t{1} << 16;

  // `blockSize` is the most read in one call when reading in blocks.
  LineReader(std::istream& in, int unitNumber, std::string fileName, Reading reading = Reading::ByLine,
             std::size_t blockSize = defaultBlockSize);

  // The next line without its line end; false at the end of the input.
  // The view stays valid until the next call. Inline for the usual case, a
  // whole line in the block read, which a reader of many lines pays per line.
  bool next(std::string_view& line) {
    if (reading_ == Reading::InBlocks && takeBufferedLine(line)) {
      last_ = line;
      ++lines_;
      return true;
    }
    return nextWithRead(line);
  }

  // Reading in blocks from a stream that tells its size: the number of bytes
  // not yet handed out. Otherwise (reading by line, a pipe) nothing is known:
  // the largest std::size_t.
  std::size_t bytesLeftHint() const;

  // Stops the run with a report of the given kind about this unit, followed
  // by ", line N" and `detail` (as in ", columns 13-20:
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
  bool nextWithRead(std::string_view& line);
  bool nextInBlock(std::string_view& line);

  // The next line when its end is in the block already: it is handed out
  // in place; otherwise false, the bytes searched remembered.
  bool takeBufferedLine(std::string_view& line) {
    const char* const start = block_.get() + begin_;
    const std::size_t unread = end_ - begin_;
    if (unread <= searched_) {
      return false;
    }
    const auto* lineEnd = static_cast<const char*>(std::memchr(start + searched_, '\n', unread - searched_));
    if (lineEnd == nullptr) {
      searched_ = unread;
      return false;
    }
    const auto length = static_cast<std::size_t>(lineEnd - start);
    line = {start, length - (length > 0 && lineEnd[-1] == '\r' ? 1 : 0)};  // CR LF ends a line like LF
    begin_ += length + 1;
    searched_ = 0;
    return true;
  }
  void readBlock();

  std::istream& in_;
  int unit_;
  std::string file_;
  std::string buffer_;             // the line (by line)
  std::unique_ptr<char[]> block_;  // the block (in blocks), not zeroed
  std::size_t blockCapacity_ = 0;
  Reading reading_;
  std::size_t blockSize_;
  std::size_t begin_ = 0;  // in blocks: the unread part is block_[begin_, end_)
  std::size_t end_ = 0;
  std::size_t searched_ = 0;  // bytes after begin_ known to hold no line end
  bool streamEnded_ = false;
  std::size_t streamLeft_ = 0;  // bytes the stream still holds, when known
  bool sizeKnown_ = false;
  long lines_ = 0;
  std::string_view last_;
};

}  // namespace kestran
