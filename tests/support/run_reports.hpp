#pragma once
// A RunError's report read back by the tests and the fuzz targets: its kind,
// and whether it concerns a given file.

#include <string>
#include <string_view>

#include "text/cat.hpp"
#include "text/run_error.hpp"

namespace kestran {

// How a report about a file begins: "kind, unit U, file F".
inline std::string reportStart(std::string_view kind, int unitNumber, std::string_view file) {
  return cat(kind, ", unit ", unitNumber, ", file ", file);
}

// The kind: the report up to ", unit ", or all of it for a report that
// concerns no file.
inline std::string_view kindOf(const RunError& error) {
  const std::string_view report = error.report();
  return report.substr(0, report.find(", unit "));
}

// A report of any kind about the file of that unit, whatever place follows.
inline bool concerns(const RunError& error, int unitNumber, std::string_view file) {
  return std::string_view(error.report()).starts_with(reportStart(kindOf(error), unitNumber, file));
}

}  // namespace kestran
