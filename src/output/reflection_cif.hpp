#pragma once
// The reflection CIF of a run (--cif), for programs that read the IUCr core
// dictionary's reflection items (DDL1 names, _refln_index_h): one data block
// with the cell and the wavelength where the entry file gives them, the
// program, the input code and the window, and one loop over every row read
// but the rows 0 0 0, kept or not, with its indices, d-spacing, 2theta,
// F^2 and sigma(F^2) on the scale of the intensity file, and its include
// status. The values come from writtenValues, as the files' do.

#include <ostream>
#include <string>
#include <string_view>

#include "output/written_values.hpp"
#include "reflections/reflection_table.hpp"

namespace kestran {

// The CIF's first line, and how its second begins (the program's name
// follows): a file that begins so was written by kestran.
inline constexpr std::string_view cifFirstLine = "#\\#CIF_1.1";
inline constexpr std::string_view cifCommentStart = "# Reflections for structure solution, written by ";

struct CifHeading {
  std::string_view baseName;       // names the data block
  std::string_view entryFile;      // the file the reflections were read from
  std::string_view intensityFile;  // NAMEI.hkl, whose scale F^2 and sigma(F^2) share
  std::string_view program;        // name and version
};

// The data block's name: the last part of the base name's path, each
// character other than a letter, a digit, '_', '-' or '.' replaced by '_',
// cut to 70 characters; "kestran" when nothing is left.
std::string cifBlockName(std::string_view baseName);

// The include status of a row, in the dictionary's codes: 'o' kept
// (written); 'x' removed by the window (an overlapped, unreliable
// measurement) or in the entry file; 'h' beyond the resolution limit, or
// with no real angle (d below half the wavelength: beyond the reach of any
// angle).
char includeStatus(const ReflectionTable& table, int row);

void writeReflectionCif(std::ostream& out, const ReflectionTable& table, const OutputScale& scale,
                        const CifHeading& heading);

}  // namespace kestran
