#pragma once
// The extra files (extra_outputs.hpp) must not be one of the run's own
// files: the entry file, the three reflection files, or each other; nor may
// they replace an existing file that kestran did not write.

#include <string>
#include <vector>

#include "driver/run_options.hpp"

namespace kestran {

// Throws UsageError when an extra file names one of
// `runFiles` or another of them: the same file by device and inode where both exist, the same
// name (made absolute and plain) otherwise.
void refuseClobbering(const RunOptions& options, const std::vector<std::string>& runFiles);

// Throws UsageError when an extra file names an existing file that is not
// empty and is no such file of kestran (or cannot be read to tell).
void refuseForeignExtraFiles(const RunOptions& options);

}  // namespace kestran
