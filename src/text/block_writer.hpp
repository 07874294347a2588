#pragma once
// Output through one large buffer: lines are built in place in the buffer and
// reach the stream in a few large writes instead of one call per line.

#include <cstddef>
#include <memory>
#include <ostream>

namespace kestran {

class BlockWriter {
 public:
  static constexpr std::size_t defaultBlockSize = std::size_t{1} << 16;

  explicit BlockWriter(std::ostream& out, std::size_t blockSize = defaultBlockSize);
  ~BlockWriter();  // writes what is left (flush() first to see failures)
  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;

  // Room for at least `length` characters (at most the block size); fill
  // some of it, then commit the end of what was filled.
  char* room(std::size_t length) {
    if (blockSize_ - used_ < length) {
      flush();
    }
    return block_.get() + used_;
  }
  void commit(const char* end) { used_ = static_cast<std::size_t>(end - block_.get()); }

  // Writes the buffered text to the stream.
  void flush();

 private:
  std::ostream& out_;
  std::size_t blockSize_;
  std::unique_ptr<char[]> block_;
  std::size_t used_ = 0;
};

}  // namespace kestran
