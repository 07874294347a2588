// The rooms of src/ stand in layers: each may include only itself and the
// rooms below it, so that text knows nothing of reflections, the readers
// nothing of the output, and only the driver sees everything.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace kestran {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> rooms = {"text", "reflections", "processing", "output", "driver"};

int layerOf(const std::string& room) {
  for (std::size_t i = 0; i < rooms.size(); ++i) {
    if (rooms[i] == room) return static_cast<int>(i);
  }
  return -1;
}

TEST(Rooms, NoRoomIncludesAHigherOne) {
  const std::regex include(R"(#include "([a-z_]+)/)");
  int filesSeen = 0;
  for (const std::string& room : rooms) {
    for (const auto& entry : fs::directory_iterator(fs::path(KESTRAN_SOURCE_DIR) / "src" / room)) {
      ++filesSeen;
      std::ifstream in(entry.path());
      for (std::string line; std::getline(in, line);) {
        std::smatch match;
        if (std::regex_search(line, match, include)) {
          const int target = layerOf(match[1]);
          EXPECT_NE(target, -1) << entry.path() << " includes an unknown room: " << line;
          EXPECT_LE(target, layerOf(room)) << entry.path() << ": " << line;
        }
      }
    }
  }
  EXPECT_GT(filesSeen, 20);
}

}  // namespace
}  // namespace kestran
