#pragma once
// The report, plot and CIF files of --report, --plot and --cif must not be
// one of the run's own files: the entry file, the three outputs, or each
// other; nor may they replace an existing file that kestran did not write.

#include <string>
#include <vector>

#include "driver/run_options.hpp"

namespace kestran {

// Throws UsageError when the report, the plot or the CIF names one of
// `runFiles` or another of them: the same file by device and inode where both exist, the same
// name (made absolute and plain) otherwise.
void refuseClobbering(const RunOptions& options, const std::vector<std::string>& runFiles);

// Throws UsageError when the report, the plot or the CIF names an existing
// file that is not empty and is no such file of kestran (or cannot be read to
// tell).
void refuseForeignExtraFiles(const RunOptions& options);

}  // namespace kestran
