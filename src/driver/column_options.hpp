#pragma once
// The options of a list described by its columns: --columns, --cell and
// --skip-lines as they are read, and the checks of a list's options
// together. Each failure is a UsageError.

#include <string_view>

#include "driver/options.hpp"

namespace kestran {

// The column list of --columns, keeping the header lines already given.
void setColumns(ColumnList& list, std::string_view text);

// --cell a,b,c,alpha,beta,gamma: six numbers that close a cell.
CellParameters parseCell(std::string_view text);

// --skip-lines: a whole number of 0 or more.
int parseLineCount(std::string_view text);

// The options of a column list go with --columns, and a list needs a
// position for its rows: its tt, the cell, or its d with the wavelength.
void checkColumnOptions(RunOptions& run);

}  // namespace kestran
