#include "driver/batch_report.hpp"

#include <array>
#include <cstddef>

#include "driver/console_events.hpp"
#include "output/shell_table.hpp"
#include "processing/resolution_limit.hpp"

namespace kestran {

namespace {

void line(std::ostream& out, std::string_view label, std::string_view text) {
  out << label << std::string(label.size() < 10 ? 10 - label.size() : 1, ' ') << text << '\n';
}

// SharedInGroup is the last status.
constexpr std::size_t statusCount = static_cast<std::size_t>(RowStatus::SharedInGroup) + 1;
using StatusCounts = std::array<int, statusCount>;

// The rows of each status, in one pass over the table.
StatusCounts countByStatus(const ReflectionTable& table) {
  StatusCounts counts{};
  for (const RowStatus status : table.status) {
    ++counts[static_cast<std::size_t>(status)];
  }
  return counts;
}

int countOf(const StatusCounts& counts, std::initializer_list<RowStatus> statuses) {
  int sum = 0;
  for (const RowStatus status : statuses) {
    sum += counts[static_cast<std::size_t>(status)];
  }
  return sum;
}

std::string windowLine(const ReflectionTable& table) {
  const Flavour& flavour = flavourOf(table);
  std::string text = windowText(flavour, runWindow(table));
  text += ' ';
  text += windowOrigin(flavour, table.windowSource);
  if (usesWidthWindow(flavour)) {
    text += " (window = DELTA x peak width)";
  }
  return text;
}

// Under --overlaps=share the rows kept in groups, and their groups; none
// under the classic rule.
std::string sharedLine(const ReflectionTable& table) {
  if (!sharesOverlaps(table)) {
    return "0";
  }
  return std::to_string(table.groups.members) + " in " + std::to_string(table.groups.count()) + " groups";
}

}  // namespace

void writeBatchReport(std::ostream& out, const ReflectionTable& table, std::string_view entryFile,
                      const std::vector<std::string>& written) {
  const Flavour& flavour = flavourOf(table);
  const StatusCounts counts = countByStatus(table);
  std::string entry(entryFile);
  if (flavour.optionOnly) {
    entry += " (" + std::string(flavour.name) + " " + table.columns.description + ")";
  } else {
    entry += " (code " + std::to_string(flavour.code) + ", " + std::string(flavour.name) + ")";
  }
  line(out, "entry", entry);
  line(out, "read", std::to_string(table.rows) + " rows");
  line(out, "window", windowLine(table));
  line(out, "kept", std::to_string(countOf(counts, {RowStatus::Kept, RowStatus::SharedInGroup})));
  line(out, "removed",
       std::to_string(countOf(counts, {RowStatus::RemovedByPrevious, RowStatus::RemovedByNext, RowStatus::RemovedByBoth,
                                       RowStatus::RemovedInInput})));
  line(out, "shared", sharedLine(table));
  if (table.sigmasFromFile && table.columns.sigmaOfIntensity()) {
    line(out, "sigmas", "sigma(F) = sigma(I)/(2F), from the list's sigma of the intensity");
  }
  if (hasLimit(table.limit)) {
    line(out, "beyond",
         std::to_string(countOf(counts, {RowStatus::BeyondLimit})) + " (" + limitText(table.limit) + ")");
  }
  if (const int zero = countOf(counts, {RowStatus::ZeroIndices}); zero > 0) {
    line(out, "no hkl", std::to_string(zero) + " (rows 0 0 0, never written)");
  }
  for (const std::string& file : written) {
    line(out, "wrote", file);
  }
}

}  // namespace kestran
