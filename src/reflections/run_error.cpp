#include "reflections/run_error.hpp"

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

RunError::RunError(std::string_view kind, int unitNumber, std::string_view file)
    : std::runtime_error(formatReport(kind, unitNumber, file)),
      report_(formatReport(kind, unitNumber, file)),
      kind_(kind),
      unit_(unitNumber),
      file_(file) {}

RunError::RunError(std::string_view kind)
    : std::runtime_error(std::string(kind)), report_(kind), kind_(kind), unit_(noUnit) {}

}  // namespace kestran
