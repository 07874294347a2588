#pragma once
// The short report a batch run prints instead of the dialogue (the code and
// the base name come from the command line): the entry file and its
// flavour, the rows read, the window and where it came from, what became of
// the rows, and each file written, one fact a line, a label in the first ten
// columns:
//   entry     quartzite.dat (code 1, FULLPROF JFOU=2)
//   read      57 rows
//   window    D = 0.03 degrees 2theta from the entry file
//   kept      40
//   ...
//   wrote     quartziteF.hkl

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "reflections/reflection_table.hpp"

namespace kestran {

// `written`: every file of the run, in the order they were written.
void writeBatchReport(std::ostream& out, const ReflectionTable& table, std::string_view entryFile,
                      const std::vector<std::string>& written);

}  // namespace kestran
