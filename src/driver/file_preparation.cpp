#include "driver/file_preparation.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "driver/interrupt_cleanup.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

constexpr std::size_t warningNameWidth = 24;

// A name with a NUL byte in it names no file: the system would see only the
// part before the NUL, which is another file.
bool canNameAFile(const std::string& fileName) { return fileName.find('\0') == std::string::npos; }

// The suffix shows in the entry file's name when the name typed already
// carried it: a hint for the report of a missing file.
std::string missingEntryHint(std::string_view baseName, const Flavour& flavour) {
  return baseName.ends_with(flavour.entrySuffix) ? " (give the name without its extension)" : "";
}

}  // namespace

void openEntryFile(std::ifstream& entry, const std::string& fileName, std::string_view notFoundHint) {
  if (!canNameAFile(fileName)) {
    throw RunError(report::fileNotFound, unit::entry, fileName);
  }
  struct stat status {};
  if (::stat(fileName.c_str(), &status) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) {
      throw RunError(report::fileNotFound, unit::entry, fileName, notFoundHint);
    }
    throw RunError(report::cannotOpen, unit::entry, fileName);
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

std::string directoryPart(const std::string& fileName) {
  const std::size_t slash = fileName.rfind('/');
  return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

// Creates a new file of a name no other file has, in the directory of
// `file.name`, and registers it for removal on a signal. The name is short
// so that it fits wherever the final name fits. Returns the errno of the
// failure, 0 on success.
int createTemporary(OutputFile& file) {
  const std::string stem =
      directoryPart(file.name) + ".kestran-" + std::to_string(::getpid()) + "-" + std::to_string(file.unitNumber) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = stem + std::to_string(attempt);
    const SignalsHeld held;
    const int descriptor = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) {
      if (errno == EEXIST) {
        continue;
      }
      return errno;
    }
    ::close(descriptor);
    file.temporaryName = std::move(candidate);
    if (!registerTemporary(file.temporaryName.c_str())) {
      ::unlink(file.temporaryName.c_str());
      file.temporaryName.clear();
      return EMFILE;
    }
    return 0;
  }
  return EEXIST;
}

void discardTemporary(OutputFile& file) {
  if (file.temporaryName.empty()) {
    return;
  }
  file.stream.close();
  const SignalsHeld held;
  ::unlink(file.temporaryName.c_str());
  unregisterTemporary(file.temporaryName.c_str());
  file.temporaryName.clear();
}

}  // namespace

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

OutputFile::~OutputFile() { discardTemporary(*this); }

void openOutputFile(OutputFile& file, std::string name, int unitNumber, std::ostream* console) {
  file.name = std::move(name);
  file.unitNumber = unitNumber;
  if (!canNameAFile(file.name)) {
    throw RunError(report::cannotCreate, unitNumber, file.name);
  }
  struct stat status {};
  const bool exists = ::lstat(file.name.c_str(), &status) == 0;
  if (!exists && errno != ENOENT) {
    throw RunError(report::cannotCreate, unitNumber, file.name);  // a name too long, say
  }
  if (exists && console != nullptr) {
    *console << warningLine(file.name) << '\n';
  }
  if (exists && S_ISDIR(status.st_mode)) {
    throw RunError(report::cannotOverwrite, unitNumber, file.name);
  }
  if (createTemporary(file) != 0) {
    throw RunError(exists ? report::cannotOverwrite : report::cannotCreate, unitNumber, file.name);
  }
  file.stream.open(file.temporaryName, std::ios::out | std::ios::binary);
  if (!file.stream.is_open()) {
    throw RunError(report::cannotCreate, unitNumber, file.name);
  }
}

void finishWriting(OutputFile& file) {
  file.stream.flush();
  if (!file.stream) {
    throw RunError(report::writeError, file.unitNumber, file.name);
  }
}

void commitFiles(const std::vector<OutputFile*>& files) {
  const SignalsHeld held;
  for (OutputFile* file : files) {
    file->stream.close();
    if (file->stream.fail() || ::rename(file->temporaryName.c_str(), file->name.c_str()) != 0) {
      throw RunError(report::cannotOverwrite, file->unitNumber, file->name);
    }
    unregisterTemporary(file->temporaryName.c_str());
    file->temporaryName.clear();
  }
}

void prepareFiles(std::string_view baseName, const Flavour& flavour, std::ostream& console, RunFiles& files) {
  files.entryName = buildName(baseName, flavour.entrySuffix);
  openEntryFile(files.entry, files.entryName, missingEntryHint(baseName, flavour));
  openOutputFile(files.famp, buildName(baseName, fampSuffix), unit::famp, &console);
  openOutputFile(files.fint, buildName(baseName, fintSuffix), unit::fint, &console);
  openOutputFile(files.intensity, buildName(baseName, intSuffix), unit::intensity, &console);
}

}  // namespace kestran
