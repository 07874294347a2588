#include "text/run_error.hpp"

#include <utility>

namespace kestran {

namespace {
std::string formatReport(std::string_view kind, int unitNumber, std::string_view file) {
  std::string text(kind);
  text += ", unit ";
  text += std::to_string(unitNumber);
  text += ", file ";
  text += file;
  return text;
}
}  // namespace

RunError::RunError(std::string report, std::string_view kind, int unitNumber, std::string_view file)
    : std::runtime_error(report), report_(std::move(report)), kind_(kind), unit_(unitNumber), file_(file) {}

RunError::RunError(std::string_view kind, int unitNumber, std::string_view file)
    : RunError(formatReport(kind, unitNumber, file), kind, unitNumber, file) {}

RunError::RunError(std::string_view kind) : RunError(std::string(kind), kind, noUnit, {}) {}

}  // namespace kestran
