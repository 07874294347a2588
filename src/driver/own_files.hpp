#pragma once
// Files this program wrote, told from other people's files by their first
// lines, so that a run replaces only its own earlier files and empty ones.
//   reflection files  the first non-empty lines are records of the output
//                     layouts (3I4,F8.2,F8.3,I4; 3I4,2F12.2,I4; 3I4,3F10.4;
//                     3I4,3F14.3), decimal points in their columns
//   report            the header line, as this version or an earlier one wrote it
//   plot              the marker comment after the XML declaration, or the
//                     opening lines and the count title of the earlier plots
//   CIF               the comment line after the CIF's magic line that names
//                     kestran as its writer
//   page              the marker comment after the HTML doctype

#include <string>
#include <string_view>
#include <vector>

namespace kestran {

// The first bytes of an existing file and their lines, CR before a line end
// left out (a last line cut by the end of what was read is left out unless
// it is the only one).
struct FileStart {
  std::string_view text;
  std::vector<std::string_view> lines;
};

// Whether a file that begins so is one that kestran wrote.
using OwnFileTest = bool (*)(const FileStart& start);

// Why the file standing at `name` must not be replaced by one that `isOwn`
// would recognise: it was not written by kestran, or it cannot be read to
// tell. Empty when it may be replaced: no file there, an empty file, one of
// kestran's own, or no regular file at all (the replacement then fails on
// its own terms).
std::string whyNotReplaceable(const std::string& name, OwnFileTest isOwn);

// The same for a reflection file; the doubt names the line that is no record.
std::string whyNotReplaceableReflectionFile(const std::string& name);

bool isOwnReport(const FileStart& start);
bool isOwnPlot(const FileStart& start);
bool isOwnCif(const FileStart& start);
bool isOwnPage(const FileStart& start);

// True when `line` (its line end left out) is a record of one of the
// layouts of the reflection files.
bool isReflectionRecord(std::string_view line);

}  // namespace kestran
