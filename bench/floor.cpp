// The floor of a run: what any program must do to read an entry file and
// write three output files, and nothing else. Reads FILE through one 1 MiB
// buffer (as kestran does), counts its lines (so that every byte is looked
// at, as a reader must), and writes each OUTPUT with SIZE bytes of text
// through one 256 KiB buffer (as kestran does).
//   kestran_floor FILE OUTPUT1 SIZE1 OUTPUT2 SIZE2 OUTPUT3 SIZE3

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 8) {
    std::fprintf(stderr, "usage: %s FILE OUTPUT1 SIZE1 OUTPUT2 SIZE2 OUTPUT3 SIZE3\n", argv[0]);
    return 2;
  }
  std::FILE* in = std::fopen(argv[1], "rb");
  if (in == nullptr) return 1;
  std::vector<char> block(std::size_t{1} << 20);
  long lines = 0;
  for (std::size_t got; (got = std::fread(block.data(), 1, block.size(), in)) > 0;) {
    const char* end = block.data() + got;
    for (const char* p = block.data(); (p = static_cast<const char*>(std::memchr(p, '\n', end - p))); ++p) {
      ++lines;
    }
  }
  std::fclose(in);
  // One 256 KiB block of 80-character lines, written as often as the size needs.
  std::vector<char> out(std::size_t{1} << 18, ' ');
  for (std::size_t at = 79; at < out.size(); at += 80) out[at] = '\n';
  for (int i = 2; i < 8; i += 2) {
    auto bytes = static_cast<std::size_t>(std::atol(argv[i + 1]));
    std::FILE* file = std::fopen(argv[i], "wb");
    if (file == nullptr) return 1;
    while (bytes > 0) {
      const std::size_t part = bytes < out.size() ? bytes : out.size();
      if (std::fwrite(out.data(), 1, part, file) != part) return 1;
      bytes -= part;
    }
    if (std::fclose(file) != 0) return 1;
  }
  std::printf("%ld lines\n", lines);
  return 0;
}
