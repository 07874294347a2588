#include "driver/clobber_check.hpp"

#include <sys/stat.h>

#include <filesystem>

#include "driver/file_preparation.hpp"
#include "driver/options.hpp"
#include "driver/own_files.hpp"
#include "text/cat.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

bool statOf(const std::string& name, struct stat& status) {
  return name.find('\0') == std::string::npos && ::stat(name.c_str(), &status) == 0;
}

bool sameFile(const std::string& one, const std::string& other) {
  struct stat first {};
  struct stat second {};
  if (statOf(one, first) && statOf(other, second)) {
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
  }
  namespace fs = std::filesystem;
  return fs::absolute(one).lexically_normal() == fs::absolute(other).lexically_normal();
}

void refuseFor(std::string_view option, const std::string& extraFile, const std::vector<std::string>& taken) {
  for (const std::string& name : taken) {
    if (sameFile(extraFile, name)) {
      throw UsageError(
          cat("--", option, " ", shownName(extraFile), " would overwrite ", shownName(name), ", a file of this run"));
    }
  }
}

}  // namespace

void refuseClobbering(const RunOptions& options, const std::vector<std::string>& runFiles) {
  std::vector<std::string> taken = runFiles;
  for (const ExtraOutput& output : extraOutputs()) {
    const std::string& file = options.extraFiles[extraOutputIndex(output)];
    if (!file.empty()) {
      refuseFor(output.option, file, taken);
      taken.push_back(file);
    }
  }
}

void refuseForeignExtraFiles(const RunOptions& options) {
  for (const ExtraOutput& output : extraOutputs()) {
    const std::string& file = options.extraFiles[extraOutputIndex(output)];
    if (isWriteProtected(file)) {
      throw UsageError(cat("--", output.option, " ", shownName(file),
                           ": the file is read-only, protected from being replaced; make it writable (chmod u+w) or "
                           "give another name"));
    }
    const std::string doubt = file.empty() ? "" : whyNotReplaceable(file, output.isOwn);
    if (!doubt.empty()) {
      throw UsageError(cat("--", output.option, " ", shownName(file), ": ", doubt, "; give another name or remove it"));
    }
  }
}

}  // namespace kestran
