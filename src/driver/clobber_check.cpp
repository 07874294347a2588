#include "driver/clobber_check.hpp"

#include <sys/stat.h>

#include <filesystem>

#include "driver/options.hpp"
#include "driver/own_files.hpp"

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

void refuseFor(const char* option, const std::string& extraFile, const std::vector<std::string>& taken) {
  for (const std::string& name : taken) {
    if (sameFile(extraFile, name)) {
      throw UsageError(std::string(option) + " " + extraFile + " would overwrite " + name + ", a file of this run");
    }
  }
}

void refuseForeign(const char* option, const std::string& extraFile, FileRole role) {
  const std::string doubt = whyNotReplaceable(extraFile, role);
  if (!doubt.empty()) {
    std::string message = option;
    message += " " + extraFile + ": " + doubt + "; give another name or remove it";
    throw UsageError(message);
  }
}

}  // namespace

void refuseClobbering(const RunOptions& options, const std::vector<std::string>& runFiles) {
  std::vector<std::string> taken = runFiles;
  if (!options.reportFile.empty()) {
    refuseFor("--report", options.reportFile, taken);
    taken.push_back(options.reportFile);
  }
  if (!options.plotFile.empty()) {
    refuseFor("--plot", options.plotFile, taken);
    taken.push_back(options.plotFile);
  }
  if (!options.cifFile.empty()) {
    refuseFor("--cif", options.cifFile, taken);
  }
}

void refuseForeignExtraFiles(const RunOptions& options) {
  if (!options.reportFile.empty()) {
    refuseForeign("--report", options.reportFile, FileRole::Report);
  }
  if (!options.plotFile.empty()) {
    refuseForeign("--plot", options.plotFile, FileRole::Plot);
  }
  if (!options.cifFile.empty()) {
    refuseForeign("--cif", options.cifFile, FileRole::Cif);
  }
}

}  // namespace kestran
