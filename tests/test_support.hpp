#pragma once
// Helpers shared by the tests: a temporary directory removed at the end and
// whole-file reads and writes.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

namespace kestran::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestran-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void writeFile(const std::string& name, const std::string& contents) {
  std::ofstream out(name, std::ios::binary);
  out << contents;
}

inline std::string readFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every entry of a directory, hidden ones included, with its contents
// ("<folder>" for a directory).
inline std::map<std::string, std::string> contentsOf(const std::filesystem::path& directory) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    entries[entry.path().filename().string()] = entry.is_directory() ? "<folder>" : readFile(entry.path().string());
  }
  return entries;
}

}  // namespace kestran::testing
