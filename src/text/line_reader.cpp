#include "text/line_reader.hpp"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "text/run_error.hpp"

namespace kestran {

namespace {

std::string_view withoutCarriageReturn(std::string_view text) {
  if (!text.empty() && text.back() == '\r') {
    text.remove_suffix(1);
  }
  return text;
}

// The bytes from the stream's position to its end, when it can tell.
bool bytesToEnd(std::streambuf& source, std::size_t& bytes) {
  const std::streamoff here = source.pubseekoff(0, std::ios::cur, std::ios::in);
  if (here < 0) {
    return false;
  }
  const std::streamoff end = source.pubseekoff(0, std::ios::end, std::ios::in);
  if (source.pubseekoff(here, std::ios::beg, std::ios::in) != here || end < here) {
    return false;
  }
  bytes = static_cast<std::size_t>(end - here);
  return true;
}

}  // namespace

LineReader::LineReader(std::istream& in, int unitNumber, std::string fileName, Reading reading, std::size_t blockSize)
    : in_(in),
      unit_(unitNumber),
      file_(std::move(fileName)),
      reading_(reading),
      blockSize_(std::max<std::size_t>(blockSize, 1)) {
  // An exception inside a read (memory running out for a long line) would
  // otherwise only set badbit and pass for the end of the input.
  in_.exceptions(in_.exceptions() | std::ios::badbit);
  if (reading_ == Reading::InBlocks && in_.rdbuf() != nullptr) {
    sizeKnown_ = bytesToEnd(*in_.rdbuf(), streamLeft_);
  }
}

bool LineReader::nextWithRead(std::string_view& line) {
  if (reading_ == Reading::InBlocks) {
    if (!nextInBlock(line)) {
      return false;
    }
  } else {
    if (!std::getline(in_, buffer_)) {
      return false;
    }
    line = withoutCarriageReturn(buffer_);
  }
  last_ = line;
  ++lines_;
  return true;
}

// As getline: a last line without its line end is a line, and nothing after
// the last line end is none.
bool LineReader::nextInBlock(std::string_view& line) {
  for (;;) {
    if (takeBufferedLine(line)) {
      return true;
    }
    if (streamEnded_) {
      const std::size_t unread = end_ - begin_;
      if (unread == 0) {
        return false;
      }
      line = withoutCarriageReturn({block_.get() + begin_, unread});
      begin_ = end_;
      searched_ = 0;
      return true;
    }
    readBlock();
  }
}

// Moves the unfinished line to the front of the block and fills the rest
// from the stream; a line longer than the block doubles it.
void LineReader::readBlock() {
  const std::size_t unread = end_ - begin_;
  std::size_t size = std::max(blockCapacity_, sizeKnown_ ? std::min(blockSize_, streamLeft_ + 1) : blockSize_);
  if (unread == size) {
    size *= 2;
  }
  if (size != blockCapacity_) {
    auto larger = std::make_unique_for_overwrite<char[]>(size);
    if (unread > 0) {
      std::memcpy(larger.get(), block_.get() + begin_, unread);
    }
    block_ = std::move(larger);
    blockCapacity_ = size;
  } else if (begin_ > 0 && unread > 0) {
    std::memmove(block_.get(), block_.get() + begin_, unread);
  }
  begin_ = 0;
  end_ = unread;
  std::streambuf* source = in_.rdbuf();
  const std::streamsize got =
      source == nullptr ? 0 : source->sgetn(block_.get() + end_, static_cast<std::streamsize>(size - end_));
  if (got <= 0) {
    streamEnded_ = true;
    return;
  }
  end_ += static_cast<std::size_t>(got);
  streamLeft_ -= std::min(streamLeft_, static_cast<std::size_t>(got));
}

std::size_t LineReader::bytesLeftHint() const {
  if (reading_ != Reading::InBlocks || !sizeKnown_) {
    return std::numeric_limits<std::size_t>::max();
  }
  return end_ - begin_ + streamLeft_;
}

void LineReader::failOnLine(std::string_view kind, std::string_view detail) const { failAt(kind, lines_, detail); }

void LineReader::failAt(std::string_view kind, long lineNumber, std::string_view detail) const {
  throw RunError(kind, unit_, file_, atLine(lineNumber) + std::string(detail));
}

}  // namespace kestran
