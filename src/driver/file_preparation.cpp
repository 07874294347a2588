#include "driver/file_preparation.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "reflections/input_code.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

constexpr std::size_t warningNameWidth = 24;

// A name with a NUL byte in it names no file: the system would see only the
// part before the NUL, which is another file.
bool canNameAFile(const std::string& fileName) { return fileName.find('\0') == std::string::npos; }

bool exists(const std::string& fileName) {
  struct stat status {};
  return ::lstat(fileName.c_str(), &status) == 0;
}

}  // namespace

void openEntryFile(std::ifstream& entry, const std::string& fileName) {
  if (!canNameAFile(fileName)) {
    throw RunError(report::fileNotFound, unit::entry, fileName);
  }
  struct stat status {};
  if (::stat(fileName.c_str(), &status) != 0) {
    throw RunError(errno == ENOENT || errno == ENOTDIR ? report::fileNotFound : report::cannotOpen,
                   unit::entry, fileName);
  }
  if (S_ISDIR(status.st_mode)) {
    throw RunError(report::cannotOpen, unit::entry, fileName);
  }
  entry.open(fileName, std::ios::in | std::ios::binary);
  if (!entry.is_open()) {
    throw RunError(report::cannotOpen, unit::entry, fileName);
  }
}

namespace {

void prepareOutputFile(std::string_view baseName, std::string_view suffix, int unitNumber,
                       std::ostream& console, OutputFile& file) {
  file.name = buildName(baseName, suffix);
  file.unitNumber = unitNumber;
  if (!canNameAFile(file.name)) {
    throw RunError(report::cannotCreate, unitNumber, file.name);
  }
  if (exists(file.name)) {
    console << warningLine(file.name) << '\n';
    replaceOutputFile(file.name, unitNumber);
  }
  openNewFile(file.stream, file.name, unitNumber);
}

}  // namespace

std::string_view entrySuffix(int inputCode) { return isFullprof(inputCode) ? ".dat" : ".hkl"; }

std::string buildName(std::string_view baseName, std::string_view suffix) {
  std::string name(baseName);
  name += suffix;
  return name;
}

std::string warningLine(std::string_view fileName) {
  std::string line = " warning, this old file will be deleted :";
  line += fileName;
  if (fileName.size() < warningNameWidth) {
    line.append(warningNameWidth - fileName.size(), ' ');
  }
  return line;
}

void replaceOutputFile(const std::string& fileName, int unitNumber) {
  if (::unlink(fileName.c_str()) != 0) {
    throw RunError(report::cannotOverwrite, unitNumber, fileName);
  }
}

void openNewFile(std::ofstream& file, const std::string& fileName, int unitNumber) {
  // O_EXCL makes the creation fail when the name exists, as a new file must.
  const int descriptor = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
  if (descriptor < 0) {
    throw RunError(errno == EEXIST ? report::cannotOverwrite : report::cannotCreate, unitNumber, fileName);
  }
  ::close(descriptor);
  file.open(fileName, std::ios::out | std::ios::binary);
  if (!file.is_open()) {
    throw RunError(report::cannotCreate, unitNumber, fileName);
  }
}

void prepareFiles(std::string_view baseName, int inputCode, std::ostream& console, RunFiles& files) {
  files.entryName = buildName(baseName, entrySuffix(inputCode));
  openEntryFile(files.entry, files.entryName);
  prepareOutputFile(baseName, fampSuffix, unit::famp, console, files.famp);
  prepareOutputFile(baseName, fintSuffix, unit::fint, console, files.fint);
  prepareOutputFile(baseName, intSuffix, unit::intensity, console, files.intensity);
}

}  // namespace kestran
