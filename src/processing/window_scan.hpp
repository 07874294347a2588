#pragma once
// The "what if" of a run: for each window, how many rows the neighbour
// elimination keeps, in all and per resolution shell, and, when the table's
// rule is Share, how many of the others sharing keeps in overlap groups. Each
// row comes from the elimination itself (eliminationWith) and the groups
// (findOverlapGroups), so its counts are the ones a run with that window
// ends with.

#include <optional>
#include <vector>

#include "processing/shells.hpp"
#include "reflections/reflection_table.hpp"

namespace kestran {

struct ScanRow {
  float window = 0;  // D or DELTA, as the table's flavour uses it
  int kept = 0;
  int removed = 0;  // every other row, those removed in the input included
  // When the table's rule is Share: the rows of `removed` that sharing keeps
  // in overlap groups, the groups, and what the shared rows are a part of
  // (with a space group, the rows counted by their multiplicities); 0
  // otherwise.
  int shared = 0;
  int groups = 0;
  int sharedOutOf = 0;
  ShellCounts shells;
};

std::vector<ScanRow> scanWindows(const ReflectionTable& table, const ShellLayout& layout,
                                 const std::vector<float>& windows);

// The windows scanned when none are given, ascending and each once: a series
// of D values in degrees 2theta from 0 to 0.1 (FULLPROF) or of DELTA values
// from 0 to 3 (SIRPOW, EXPO), with `ownWindow` (the file's D, or a DELTA
// given in advance) among them.
std::vector<float> defaultScanWindows(const Flavour& flavour, std::optional<float> ownWindow);

}  // namespace kestran
