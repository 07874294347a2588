#pragma once
// Names of the files of a run and their preparation: the entry file is
// opened first, then each output file is tested, announced when an older
// one exists, and created under a temporary name next to it. An existing
// file that kestran did not write is never replaced. The old files stay as
// they are until the whole run has written its new ones, which then take
// their names all together or not at all (commitFiles); a run that fails or
// is interrupted removes its new files and leaves the old ones untouched.
// A report about a file that cannot be opened, created or replaced ends
// with the system's reason.

#include <fstream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "reflections/flavours.hpp"

namespace kestran {

// A name with a NUL byte in it names no file: the system would see only the
// part before the NUL, which is another file.
inline bool canNameAFile(const std::string& fileName) { return fileName.find('\0') == std::string::npos; }

inline constexpr std::string_view fampSuffix = "F.hkl";
inline constexpr std::string_view fintSuffix = "I.hkl";
inline constexpr std::string_view intSuffix = ".int";

// The base name followed by the suffix. Names are never cut.
std::string buildName(std::string_view baseName, std::string_view suffix);

// The entry file of the name given for the flavour: the base name and the
// flavour's suffix, or, for a flavour whose file is named in full (a
// column list), the name as given.
std::string entryFileName(std::string_view nameGiven, const Flavour& flavour);
// The base name of the outputs: the name given, or, for a file named in
// full, that name less its extension (the last dot of the file's own name
// and what follows it; a name that begins with its only dot keeps it).
std::string outputBaseName(std::string_view nameGiven, const Flavour& flavour);

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
  // While the files are put in place: the hidden name of the old file moved
  // aside, and whether the new file already stands at its name.
  std::string keptOldName;
  bool placed = false;
};

// Checks that `name` can be written and replaced, and creates the new file
// under its temporary name. With `console`, an old file of that name is
// announced by the warning line. Stops the run with "cannot create file"
// (a name that names no file or cannot be created) or "cannot overwrite
// existing file" (an old one that is a directory or cannot be replaced).
void openOutputFile(OutputFile& file, std::string name, int unitNumber, std::ostream* console);

// Flushes the stream; a failure stops the run with a write error.
void finishWriting(OutputFile& file);

// How commitFiles renames a file: the system's rename, or a stand-in that
// fails on purpose in a test.
using RenameCall = int (*)(const char* from, const char* to);
int systemRename(const char* from, const char* to);

// Gives every new file its name, or none. Each new file is flushed to the
// disk; each old file is moved aside under a hidden name; then each new
// file takes its name and the directories are flushed to the disk. Only
// then are the old files removed. When a step fails, every old file is put
// back, the new files are removed and the run stops with the system's
// reason. A signal during the step finds every old file put back, or, once
// the new files all stand, every new one in place.
void commitFiles(const std::vector<OutputFile*>& files, RenameCall renameCall = systemRename);

struct RunFiles {
  std::ifstream entry;
  std::string entryName;
  OutputFile famp, fint, intensity;
};

// A regular file whose owner took away its write permissions (chmod a-w),
// or that this user may not write: protected from being replaced.
bool isWriteProtected(const std::string& name);

// An earlier output that is protected stops the run with "cannot overwrite
// existing file", naming it and what to do.
void refuseProtected(const std::string& name, int unitNumber);

// The base name as typed, or, when it begins with blanks and names no entry
// file of the flavour while the name without them does, that name.
std::string findBaseName(const std::string& baseName, const Flavour& flavour);

// Opens the entry file of the flavour, refuses to go on when an output name
// holds a file that is not empty and not an earlier output, or is the entry
// file itself (before any warning line), then prepares the FAMP, FINT and
// INT files in that order, writing a warning line to the console for each
// old one. `nameGiven` as entryFileName and outputBaseName take it.
void prepareFiles(std::string_view nameGiven, const Flavour& flavour, std::ostream& console, RunFiles& files);

}  // namespace kestran
