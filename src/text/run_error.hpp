#pragma once
// The program's one run-time failure: a report kind, the unit number of the
// file it concerns, that file's name and, for a read, where in the file the
// fault stands. Thrown wherever the run must stop and caught once in main,
// which prints it and exits with status 1.

#include <stdexcept>
#include <string>
#include <string_view>

namespace kestran {

namespace report {
inline constexpr std::string_view fileNotFound = "file not found";
inline constexpr std::string_view cannotOpen = "cannot open file";
inline constexpr std::string_view endOfFile = "end-of-file during read";
inline constexpr std::string_view conversionError = "input conversion error";
inline constexpr std::string_view listSyntaxError = "list-directed I/O syntax error";
inline constexpr std::string_view cannotOverwrite = "cannot overwrite existing file";
inline constexpr std::string_view cannotCreate = "cannot create file";
inline constexpr std::string_view writeError = "write error";
// The cell of the entry file has no real volume (impossible angles, an edge
// of zero or below): stops the run before any reflection is read.
inline constexpr std::string_view impossibleCell = "impossible unit cell";
// The entry file gave no reflection: the run stops before its empty files
// replace earlier ones.
inline constexpr std::string_view noReflection = "no reflection read";
// Reflections were read but none has a real angle at the wavelength given:
// the wavelength is wrong (in picometres, say).
inline constexpr std::string_view noRealAngle = "no reflection with a real angle";
}  // namespace report

// Units by which the program names its files in reports.
namespace unit {
inline constexpr int console = 5;
inline constexpr int famp = 20;
inline constexpr int entry = 21;
inline constexpr int fint = 22;
inline constexpr int intensity = 23;
}  // namespace unit

// The system's reason for a failure, as a report ends with it (": No
// space left on device"); nothing when the system gave none (0).
std::string systemReason(int error);

class RunError : public std::runtime_error {
 public:
  // A report about a file: "kind, unit U, file F".
  RunError(std::string_view kind, int unitNumber, std::string_view file);
  // The same followed by the place of the fault: "kind, unit U, file F" then
  // `place` as given (", line 31: ...").
  RunError(std::string_view kind, int unitNumber, std::string_view file, std::string_view place);
  // A report that concerns no file: the kind alone.
  explicit RunError(std::string_view kind);

  // The whole report; unlike what(), it keeps a NUL byte of a file name.
  const std::string& report() const { return report_; }

 private:
  struct WholeReport {};
  RunError(WholeReport, std::string report);
  friend RunError inputError(std::string_view file, long lineNumber, std::string_view what);

  std::string report_;
};

// Text from a file or the console as a report quotes it: in double quotes,
// spaces at both ends dropped (a tab stays, as \x09), every byte that is not printable ASCII (and
// the quote and backslash) written as \xHH or \" \\, and cut after 40
// characters with "..." so that a report stays one short line.
std::string quoted(std::string_view text);

// ", line N".
std::string atLine(long lineNumber);

// A file name as a report shows it: as it is when every byte is printable
// ASCII other than the blank, otherwise in double quotes with every byte
// kept (the others as in quoted()), so that a blank in the name shows.
std::string shownName(std::string_view name);

// "FILE:LINE" as compilers write it ("FILE" alone when the line is 0).
std::string inputPlace(std::string_view file, long lineNumber);

// An input a run cannot go on with, told as compilers tell an error:
// "FILE:LINE: error: WHAT".
RunError inputError(std::string_view file, long lineNumber, std::string_view what);

}  // namespace kestran
