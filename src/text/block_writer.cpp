#include "text/block_writer.hpp"

namespace kestran {

BlockWriter::BlockWriter(std::ostream& out, std::size_t blockSize)
    : out_(out), blockSize_(blockSize), block_(std::make_unique_for_overwrite<char[]>(blockSize)) {}

BlockWriter::~BlockWriter() { flush(); }

void BlockWriter::flush() {
  if (used_ > 0) {
    out_.write(block_.get(), static_cast<std::streamsize>(used_));
    used_ = 0;
  }
}

}  // namespace kestran
