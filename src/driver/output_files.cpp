#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "driver/file_preparation.hpp"
#include "driver/interrupt_cleanup.hpp"
#include "text/run_error.hpp"

// The output files: each created under a hidden temporary name beside its
// final one, written, and then all put in place together or not at all.

namespace kestran {

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
    throw RunError(report::cannotCreate, unitNumber, file.name, systemReason(errno));  // a name too long, say
  }
  if (exists && console != nullptr) {
    *console << warningLine(file.name) << '\n';
  }
  if (exists && S_ISDIR(status.st_mode)) {
    throw RunError(report::cannotOverwrite, unitNumber, file.name, systemReason(EISDIR));
  }
  if (const int error = createTemporary(file); error != 0) {
    throw RunError(exists ? report::cannotOverwrite : report::cannotCreate, unitNumber, file.name, systemReason(error));
  }
  errno = 0;
  file.stream.open(file.temporaryName, std::ios::out | std::ios::binary);
  if (!file.stream.is_open()) {
    throw RunError(report::cannotCreate, unitNumber, file.name, systemReason(errno));
  }
}

void finishWriting(OutputFile& file) {
  errno = 0;
  file.stream.flush();
  if (!file.stream) {
    throw RunError(report::writeError, file.unitNumber, file.name, systemReason(errno));
  }
}

int systemRename(const char* from, const char* to) { return ::rename(from, to); }

namespace {

// Closes the stream and flushes the new file to the disk.
void flushToDisk(OutputFile& file) {
  errno = 0;
  file.stream.close();
  if (file.stream.fail()) {
    throw RunError(report::writeError, file.unitNumber, file.name, systemReason(errno));
  }
  const int descriptor = ::open(file.temporaryName.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0 || ::fsync(descriptor) != 0) {
    const int error = errno;
    if (descriptor >= 0) {
      ::close(descriptor);
    }
    throw RunError(report::writeError, file.unitNumber, file.name, systemReason(error));
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
    throw RunError(report::cannotOverwrite, file.unitNumber, file.name, systemReason(errno));
  }
  if (S_ISDIR(status.st_mode)) {
    throw RunError(report::cannotOverwrite, file.unitNumber, file.name, systemReason(EISDIR));
  }
  const SignalsHeld held;
  std::string hidden;
  int error = createHiddenFile(file, "old-", hidden);
  if (error == 0 && renameCall(file.name.c_str(), hidden.c_str()) != 0) {
    error = errno;
    ::unlink(hidden.c_str());
  }
  if (error != 0) {
    throw RunError(report::cannotOverwrite, file.unitNumber, file.name, systemReason(error));
  }
  file.keptOldName = std::move(hidden);
  if (!registerKeptOldFile(file.keptOldName.c_str(), file.name.c_str())) {
    ::rename(file.keptOldName.c_str(), file.name.c_str());
    file.keptOldName.clear();
    throw RunError(report::cannotOverwrite, file.unitNumber, file.name, systemReason(EMFILE));
  }
}

// Gives the new file its name. Where no old file stood, a signal removes it
// again.
void placeNewFile(OutputFile& file, RenameCall renameCall) {
  const SignalsHeld held;
  if (renameCall(file.temporaryName.c_str(), file.name.c_str()) != 0) {
    const std::string_view kind = file.keptOldName.empty() ? report::cannotCreate : report::cannotOverwrite;
    throw RunError(kind, file.unitNumber, file.name, systemReason(errno));
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
      throw RunError(report::writeError, file->unitNumber, file->name, systemReason(error));
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

}  // namespace kestran
