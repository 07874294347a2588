#pragma once
// Names of the files of a run and their preparation: the entry file is
// opened first, then each output file is tested, announced when an older
// one exists, and created under a temporary name next to it. The old files
// stay as they are until the whole run has written its new ones, which then
// take their names together (commitFiles); a run that fails or is
// interrupted removes its new files and leaves the old ones untouched.

#include <fstream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "reflections/flavours.hpp"

namespace kestran {

inline constexpr std::string_view fampSuffix = "F.hkl";
inline constexpr std::string_view fintSuffix = "I.hkl";
inline constexpr std::string_view intSuffix = ".int";

// The base name followed by the suffix. Names are never cut.
std::string buildName(std::string_view baseName, std::string_view suffix);

// The console line announcing that an existing output file will be deleted;
// the name is padded with blanks to 24 characters (longer names stand whole).
std::string warningLine(std::string_view fileName);

// Opens the entry file alone, for reading; stops the run when it is missing,
// a directory or unreadable. `notFoundHint` follows the report of a missing file.
void openEntryFile(std::ifstream& entry, const std::string& fileName, std::string_view notFoundHint = {});

// A file the run writes: its stream, unit and name. Until it is committed
// the stream writes to a new file of a temporary name in the same
// directory, which is removed when the object goes (or a signal comes).
// The object never moves: its temporary name is registered by address.
struct OutputFile {
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  std::ofstream stream;
  int unitNumber = 0;
  std::string name;
  std::string temporaryName;  // empty when nothing is pending
};

// Checks that `name` can be written and replaced, and creates the new file
// under its temporary name. With `console`, an old file of that name is
// announced by the warning line. Stops the run with "cannot create file"
// (a name that names no file or cannot be created) or "cannot overwrite
// existing file" (an old one that is a directory or cannot be replaced).
void openOutputFile(OutputFile& file, std::string name, int unitNumber, std::ostream* console);

// Flushes the stream; a failure stops the run with a write error.
void finishWriting(OutputFile& file);

// Gives each new file its own name, replacing the old one, with the
// signals held so that an interrupt finds either every old file or every
// new one.
void commitFiles(const std::vector<OutputFile*>& files);

struct RunFiles {
  std::ifstream entry;
  std::string entryName;
  OutputFile famp, fint, intensity;
};

// Opens the entry file of the flavour, then prepares the FAMP, FINT and INT files
// in that order, writing a warning line to the console for each old one.
void prepareFiles(std::string_view baseName, const Flavour& flavour, std::ostream& console, RunFiles& files);

}  // namespace kestran
