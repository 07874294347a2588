#pragma once
// Names of the four files of a run and their preparation: the entry file is
// opened first, then each output file is tested, announced and deleted when
// an older one exists, and created anew.

#include <fstream>
#include <ostream>
#include <string>
#include <string_view>

namespace kestran {

inline constexpr std::string_view fampSuffix = "F.hkl";
inline constexpr std::string_view fintSuffix = "I.hkl";
inline constexpr std::string_view intSuffix = ".int";

// ".dat" for the FULLPROF codes 1 and 4, ".hkl" for 2 and 3.
std::string_view entrySuffix(int inputCode);

// The base name followed by the suffix. Names are never cut.
std::string buildName(std::string_view baseName, std::string_view suffix);

// The console line announcing that an existing output file will be deleted;
// the name is padded with blanks to 24 characters (longer names stand whole).
std::string warningLine(std::string_view fileName);

// Opens the entry file alone, for reading; stops the run when it is missing,
// a directory or unreadable.
void openEntryFile(std::ifstream& entry, const std::string& fileName);

// Deletes an existing output file; a file that cannot be deleted (a
// directory, say) stops the run.
void replaceOutputFile(const std::string& fileName, int unitNumber);

// Creates a new, empty file for writing; stops the run if the name exists or
// cannot be created.
void openNewFile(std::ofstream& file, const std::string& fileName, int unitNumber);

// An output file of the run: its stream, unit and name.
struct OutputFile {
  std::ofstream stream;
  int unitNumber = 0;
  std::string name;
};

struct RunFiles {
  std::ifstream entry;
  std::string entryName;
  OutputFile famp, fint, intensity;
};

// Opens the entry file of the code, then prepares the FAMP, FINT and INT files
// in that order, writing a warning line to the console for each old one.
void prepareFiles(std::string_view baseName, int inputCode, std::ostream& console, RunFiles& files);

}  // namespace kestran
