#include "driver/file_preparation.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

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
    throw RunError(error == ENOTDIR ? report::fileNotFound : report::cannotOpen, unit::entry, fileName,
                   systemReason(error));
  }
  if (S_ISDIR(status.st_mode)) {
    throw RunError(report::cannotOpen, unit::entry, fileName, systemReason(EISDIR));
  }
  errno = 0;
  entry.open(fileName, std::ios::in | std::ios::binary);
  if (!entry.is_open()) {
    throw RunError(report::cannotOpen, unit::entry, fileName, systemReason(errno));
  }
}

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
