#include "driver/file_preparation.hpp"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "driver/interrupt_cleanup.hpp"
#include "driver/own_files.hpp"
#include "text/cat.hpp"
#include "text/run_error.hpp"

namespace kestran {

std::string buildName(std::string_view baseName, std::string_view suffix) {
  std::string name(baseName);
  name += suffix;
  return name;
}

namespace {

constexpr std::size_t warningNameWidth = 24;

// A name with a NUL byte in it names no file: the system would see only the
// part before the NUL, which is another file.
bool canNameAFile(const std::string& fileName) { return fileName.find('\0') == std::string::npos; }

// The system's reason for a failure, as a report ends with it; nothing when
// the system gave none.
std::string because(int error) {
  if (error == 0) {
    return "";
  }
  std::string reason = ": ";
  return reason + std::strerror(error);
}

bool isRegularFile(const std::string& fileName) {
  struct stat status {};
  return canNameAFile(fileName) && ::stat(fileName.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The codes whose entry files end in `suffix`, as "codes 1 and 4 (FULLPROF
// JFOU=2, FULLPROF JFOU=4)" or "codes 2 and 3 (SIRPOW, EXPO)".
std::string codesReading(std::string_view suffix) {
  std::vector<std::string> codes;
  std::vector<std::string> names;
  for (const Flavour& flavour : flavoursInMenuOrder()) {
    if (flavour.entrySuffix == suffix) {
      codes.push_back(cat(flavour.code));
      names.emplace_back(flavour.name);
    }
  }
  return cat(codes.size() == 1 ? "code " : "codes ", listed(codes), " (", listed(names, ", "), ")");
}

// A hint for the report of a missing entry file: the name typed was empty,
// already carried the suffix, or names a file of another flavour.
std::string missingEntryHint(std::string_view baseName, const Flavour& flavour) {
  if (baseName.empty()) {
    return flavour.optionOnly ? ": the file name was empty" : ": the base name was empty";
  }
  if (flavour.optionOnly) {
    return "";
  }
  if (baseName.ends_with(flavour.entrySuffix)) {
    return " (give the name without its extension)";
  }
  for (const Flavour& other : flavoursInMenuOrder()) {
    const std::string there = buildName(baseName, other.entrySuffix);
    if (other.entrySuffix != flavour.entrySuffix && isRegularFile(there)) {
      return cat(": ", shownName(there), " is there, an entry file of ", codesReading(other.entrySuffix),
                 "; give its code, or check the name");
    }
  }
  return "";
}

}  // namespace

void openEntryFile(std::ifstream& entry, const std::string& fileName, std::string_view notFoundHint) {
  if (!canNameAFile(fileName)) {
    throw RunError(report::fileNotFound, unit::entry, fileName);
  }
  struct stat status {};
  if (::stat(fileName.c_str(), &status) != 0) {
    const int error = errno;
    if (error == ENOENT) {
      throw RunError(report::fileNotFound, unit::entry, fileName, notFoundHint);
    }
    throw RunError(error == ENOTDIR ? report::fileNotFound : report::cannotOpen, unit::entry, fileName, because(error));
  }
  if (S_ISDIR(status.st_mode)) {
    throw RunError(report::cannotOpen, unit::entry, fileName, because(EISDIR));
  }
  errno = 0;
  entry.open(fileName, std::ios::in | std::ios::binary);
  if (!entry.is_open()) {
    throw RunError(report::cannotOpen, unit::entry, fileName, because(errno));
  }
}

namespace {

std::string directoryPart(const std::string& fileName) {
  const std::size_t slash = fileName.rfind('/');
  return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

// Creates a new empty file of a name no other file has, in the directory
// of `file.name`, with the signals held by the caller. The name is hidden
// and short, so that it fits wherever the final name fits. Returns the
// errno of the failure, 0 on success.
int createHiddenFile(const OutputFile& file, std::string_view tag, std::string& created) {
  std::string stem = directoryPart(file.name) + ".kestran-";
  stem += std::to_string(::getpid()) + "-" + std::to_string(file.unitNumber) + "-";
  stem += tag;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = stem + std::to_string(attempt);
    const int descriptor = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0) {
      ::close(descriptor);
      created = std::move(candidate);
      return 0;
    }
    if (errno != EEXIST) {
      return errno;
    }
  }
  return EEXIST;
}

// Creates the new file under its temporary name and registers it for
// removal on a signal. Returns the errno of the failure, 0 on success.
int createTemporary(OutputFile& file) {
  const SignalsHeld held;
  if (const int error = createHiddenFile(file, "", file.temporaryName); error != 0) {
    return error;
  }
  if (!registerTemporary(file.temporaryName.c_str())) {
    ::unlink(file.temporaryName.c_str());
    file.temporaryName.clear();
    return EMFILE;
  }
  return 0;
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

std::string entryFileName(std::string_view nameGiven, const Flavour& flavour) {
  return flavour.optionOnly ? std::string(nameGiven) : buildName(nameGiven, flavour.entrySuffix);
}

std::string outputBaseName(std::string_view nameGiven, const Flavour& flavour) {
  if (!flavour.optionOnly) {
    return std::string(nameGiven);
  }
  const std::size_t slash = nameGiven.rfind('/');
  const std::size_t fileStart = slash == std::string_view::npos ? 0 : slash + 1;
  const std::size_t dot = nameGiven.rfind('.');
  if (dot == std::string_view::npos || dot <= fileStart) {
    return std::string(nameGiven);
  }
  return std::string(nameGiven.substr(0, dot));
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
    throw RunError(report::cannotCreate, unitNumber, file.name, because(errno));  // a name too long, say
  }
  if (exists && console != nullptr) {
    *console << warningLine(file.name) << '\n';
  }
  if (exists && S_ISDIR(status.st_mode)) {
    throw RunError(report::cannotOverwrite, unitNumber, file.name, because(EISDIR));
  }
  if (const int error = createTemporary(file); error != 0) {
    throw RunError(exists ? report::cannotOverwrite : report::cannotCreate, unitNumber, file.name, because(error));
  }
  errno = 0;
  file.stream.open(file.temporaryName, std::ios::out | std::ios::binary);
  if (!file.stream.is_open()) {
    throw RunError(report::cannotCreate, unitNumber, file.name, because(errno));
  }
}

void finishWriting(OutputFile& file) {
  errno = 0;
  file.stream.flush();
  if (!file.stream) {
    throw RunError(report::writeError, file.unitNumber, file.name, because(errno));
  }
}

int systemRename(const char* from, const char* to) { return ::rename(from, to); }

namespace {

// Closes the stream and flushes the new file to the disk.
void flushToDisk(OutputFile& file) {
  errno = 0;
  file.stream.close();
  if (file.stream.fail()) {
    throw RunError(report::writeError, file.unitNumber, file.name, because(errno));
  }
  const int descriptor = ::open(file.temporaryName.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0 || ::fsync(descriptor) != 0) {
    const int error = errno;
    if (descriptor >= 0) {
      ::close(descriptor);
    }
    throw RunError(report::writeError, file.unitNumber, file.name, because(error));
  }
  ::close(descriptor);
}

// Moves the old file, when there is one, to a hidden name that a signal
// renames back.
void moveOldAside(OutputFile& file, RenameCall renameCall) {
  struct stat status {};
  if (::lstat(file.name.c_str(), &status) != 0) {
    if (errno == ENOENT) {
      return;
    }
    throw RunError(report::cannotOverwrite, file.unitNumber, file.name, because(errno));
  }
  if (S_ISDIR(status.st_mode)) {
    throw RunError(report::cannotOverwrite, file.unitNumber, file.name, because(EISDIR));
  }
  const SignalsHeld held;
  std::string hidden;
  int error = createHiddenFile(file, "old-", hidden);
  if (error == 0 && renameCall(file.name.c_str(), hidden.c_str()) != 0) {
    error = errno;
    ::unlink(hidden.c_str());
  }
  if (error != 0) {
    throw RunError(report::cannotOverwrite, file.unitNumber, file.name, because(error));
  }
  file.keptOldName = std::move(hidden);
  if (!registerKeptOldFile(file.keptOldName.c_str(), file.name.c_str())) {
    ::rename(file.keptOldName.c_str(), file.name.c_str());
    file.keptOldName.clear();
    throw RunError(report::cannotOverwrite, file.unitNumber, file.name, because(EMFILE));
  }
}

// Gives the new file its name. Where no old file stood, a signal removes it
// again.
void placeNewFile(OutputFile& file, RenameCall renameCall) {
  const SignalsHeld held;
  if (renameCall(file.temporaryName.c_str(), file.name.c_str()) != 0) {
    const std::string_view kind = file.keptOldName.empty() ? report::cannotCreate : report::cannotOverwrite;
    throw RunError(kind, file.unitNumber, file.name, because(errno));
  }
  unregisterTemporary(file.temporaryName.c_str());
  file.temporaryName.clear();
  file.placed = true;
  if (file.keptOldName.empty()) {
    registerTemporary(file.name.c_str());  // takes the place just freed
  }
}

// Undoes moveOldAside and placeNewFile: the old file, or no file, again.
void putBack(OutputFile& file) {
  const SignalsHeld held;
  if (!file.keptOldName.empty()) {
    ::rename(file.keptOldName.c_str(), file.name.c_str());
    unregisterTemporary(file.keptOldName.c_str());
    file.keptOldName.clear();
  } else if (file.placed) {
    ::unlink(file.name.c_str());
    unregisterTemporary(file.name.c_str());
  }
  file.placed = false;
}

// Flushes to the disk each directory that holds a new file, so that the
// new names last. A directory that cannot be opened, or whose file system
// cannot flush it, is left as it is.
void flushDirectories(const std::vector<OutputFile*>& files) {
  std::set<std::string> done;
  for (const OutputFile* file : files) {
    const std::string directory = directoryPart(file->name);
    if (!done.insert(directory).second) {
      continue;
    }
    const int descriptor = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
      continue;
    }
    const int error = ::fsync(descriptor) == 0 ? 0 : errno;
    ::close(descriptor);
    if (error != 0 && error != EINVAL) {
      throw RunError(report::writeError, file->unitNumber, file->name, because(error));
    }
  }
}

// The new files all stand: from now on a signal removes the old ones
// instead of putting them back.
void settle(const std::vector<OutputFile*>& files) {
  const SignalsHeld held;
  for (OutputFile* file : files) {
    if (file->keptOldName.empty()) {
      unregisterTemporary(file->name.c_str());
    } else {
      unregisterTemporary(file->keptOldName.c_str());
      registerTemporary(file->keptOldName.c_str());  // takes the place just freed
    }
    file->placed = false;
  }
}

void removeOldFile(OutputFile& file) {
  if (file.keptOldName.empty()) {
    return;
  }
  const SignalsHeld held;
  ::unlink(file.keptOldName.c_str());
  unregisterTemporary(file.keptOldName.c_str());
  file.keptOldName.clear();
}

}  // namespace

void commitFiles(const std::vector<OutputFile*>& files, RenameCall renameCall) {
  for (OutputFile* file : files) {
    flushToDisk(*file);
  }
  try {
    for (OutputFile* file : files) {
      moveOldAside(*file, renameCall);
    }
    for (OutputFile* file : files) {
      placeNewFile(*file, renameCall);
    }
    flushDirectories(files);
  } catch (...) {
    for (OutputFile* file : files) {
      putBack(*file);
    }
    throw;
  }
  settle(files);
  for (OutputFile* file : files) {
    removeOldFile(*file);
  }
}

namespace {

// An output name that holds someone else's data (another data set's EXPO
// entry file CsI.hkl beside the base name Cs, say), or an earlier output
// made read-only, or the entry file itself, stops the run before any file is
// written or announced.
void refuseForeignOutputs(std::string_view baseName, const std::string& entryName) {
  const std::pair<std::string_view, int> outputs[] = {
      {fampSuffix, unit::famp}, {fintSuffix, unit::fint}, {intSuffix, unit::intensity}};
  for (const auto& [suffix, unitNumber] : outputs) {
    const std::string name = buildName(baseName, suffix);
    if (name == entryName) {
      throw RunError(report::cannotOverwrite, unitNumber, name,
                     ": it is the entry file; copy the list to a name that does not end in " + std::string(suffix));
    }
    refuseProtected(name, unitNumber);
    const std::string doubt = whyNotReplaceableReflectionFile(name);
    if (!doubt.empty()) {
      std::string reason = ": ";
      reason += doubt + "; rename it or choose another base name";
      throw RunError(report::cannotOverwrite, unitNumber, name, reason);
    }
  }
}

}  // namespace

bool isWriteProtected(const std::string& name) {
  struct stat status {};
  if (!canNameAFile(name) || ::lstat(name.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
    return false;
  }
  return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(name.c_str(), W_OK) != 0;
}

void refuseProtected(const std::string& name, int unitNumber) {
  if (isWriteProtected(name)) {
    throw RunError(report::cannotOverwrite, unitNumber, name,
                   ": it is read-only, protected from being replaced; make it writable (chmod u+w) or move it "
                   "away, or choose another base name");
  }
}

std::string findBaseName(const std::string& baseName, const Flavour& flavour) {
  const std::size_t first = baseName.find_first_not_of(' ');
  if (first == 0 || first == std::string::npos || isRegularFile(buildName(baseName, flavour.entrySuffix))) {
    return baseName;
  }
  std::string plain = baseName.substr(first);
  return isRegularFile(buildName(plain, flavour.entrySuffix)) ? plain : baseName;
}

void prepareFiles(std::string_view nameGiven, const Flavour& flavour, std::ostream& console, RunFiles& files) {
  files.entryName = entryFileName(nameGiven, flavour);
  openEntryFile(files.entry, files.entryName, missingEntryHint(nameGiven, flavour));
  const std::string baseName = outputBaseName(nameGiven, flavour);
  refuseForeignOutputs(baseName, files.entryName);
  openOutputFile(files.famp, buildName(baseName, fampSuffix), unit::famp, &console);
  openOutputFile(files.fint, buildName(baseName, fintSuffix), unit::fint, &console);
  openOutputFile(files.intensity, buildName(baseName, intSuffix), unit::intensity, &console);
}

}  // namespace kestran
