#pragma once
// The report and plot files of --report and --plot must not be one of the
// run's own files: the entry file, the three outputs, or each other; nor may
// they replace an existing file that kestran did not write.

#include <string>
#include <vector>

#include "driver/run_options.hpp"

namespace kestran {

// Throws UsageError when the report or the plot names one of `runFiles` or
// the other: the same file by device and inode where both exist, the same
// name (made absolute and plain) otherwise.
void refuseClobbering(const RunOptions& options, const std::vector<std::string>& runFiles);

// Throws UsageError when the report or the plot names an existing file that
// is not empty and is no report or plot of kestran (or cannot be read to
// tell).
void refuseForeignReportAndPlot(const RunOptions& options);

}  // namespace kestran
