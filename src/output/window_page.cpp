#include "output/window_page.hpp"

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "output/shell_table.hpp"
#include "processing/resolution_limit.hpp"
#include "processing/shells.hpp"
#include "processing/window_scan.hpp"
#include "processing/window_thresholds.hpp"
#include "text/number_writing.hpp"
#include "text/run_error.hpp"

namespace kestran {

namespace {

constexpr std::string_view tooManyRows = "too many reflections for a page";

// Rows of the picture: every reflection inside the resolution limit. Rows
// beyond it are removed at every window, 0 0 0 rows are no reflections.
std::vector<bool> shownRows(const ReflectionTable& table) {
  std::vector<bool> shown(static_cast<std::size_t>(table.rows));
  for (int row = 0; row < table.rows; ++row) {
    shown[row] = table.status[row] != RowStatus::ZeroIndices && !isBeyondLimit(table, row);
  }
  return shown;
}

// The shortest text that reads back as the same float (what a user types);
// null for a value that is not a finite number.
void appendFloat(std::string& out, float value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  char text[maxShortestTextLength];
  out.append(text, writeShortest(text, value));
}

void appendString(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || c == '<' || c == '>' || c == '&') {
      // Also the characters that could end the script element early.
      char escaped[8];
      const auto written = std::to_chars(escaped, escaped + sizeof escaped, byte, 16);
      out += "\\u00";
      if (written.ptr - escaped < 2) out += '0';
      out.append(escaped, written.ptr);
    } else {
      out += c;
    }
  }
  out += '"';
}

void appendKey(std::string& out, std::string_view key) {
  out += out.back() == '{' ? "" : ",";
  appendString(out, key);
  out += ':';
}

// "key":[v,v,...] over the shown rows, each value written by `append`.
template <typename Append>
void appendColumn(std::string& out, std::string_view key, const std::vector<int>& rows, Append append) {
  appendKey(out, key);
  out += '[';
  for (std::size_t i = 0; i < rows.size(); ++i) {
    out += i == 0 ? "" : ",";
    append(rows[i]);
  }
  out += ']';
}

void appendRun(std::string& out, const ReflectionTable& table, const PageSettings& settings) {
  const Flavour& flavour = flavourOf(table);
  // A window below 0 (or -0, or not a number) cuts as 0 does.
  const float own = runWindow(table) > 0 ? runWindow(table) : 0.0F;
  appendKey(out, "name");
  appendString(out, settings.baseName);
  appendKey(out, "code");
  out += std::to_string(flavour.code);
  appendKey(out, "input");
  out += '[';
  for (const std::string& word : settings.inputWords) {
    out += out.back() == '[' ? "" : ",";
    appendString(out, word);
  }
  out += ']';
  appendKey(out, "entry");
  appendString(out, settings.entryArgument);
  appendKey(out, "flavour");
  appendString(out, flavour.name);
  appendKey(out, "byWidth");
  out += usesWidthWindow(flavour) ? "true" : "false";
  appendKey(out, "ownBits");
  out += std::to_string(bitsOf(own));
  appendKey(out, "scanTop");
  appendFloat(out, defaultScanWindows(flavour, own).back());
  appendKey(out, "rule");
  appendString(out, table.overlaps == OverlapRule::Share ? "share" : "drop");
  appendKey(out, "read");
  out += std::to_string(table.rows);
  appendKey(out, "wavelength");
  appendFloat(out, flavour.entryHasCell ? table.cell.wavelength : 0.0F);
}

// The options besides the code, the window and the rule that give the same
// rows and shells: the limits, the capacity and the shells.
void appendOptions(std::string& out, const ReflectionTable& table, const PageSettings& settings) {
  appendKey(out, "options");
  out += '[';
  const auto option = [&out](std::string_view name, const std::string& value) {
    out += out.back() == '[' ? "" : ",";
    appendString(out, name);
    out += ',';
    appendString(out, value);
  };
  if (table.limit.dMin > 0) {
    option("--d-min", shortestText(table.limit.dMin));
  }
  if (table.limit.twoThetaMax > 0) {
    option("--two-theta-max", shortestText(table.limit.twoThetaMax));
  }
  if (table.capacity != defaultCapacity) {
    option("--max-reflections", std::to_string(table.capacity));
  }
  if (settings.shellCount != defaultShellCount) {
    option("--shells", std::to_string(settings.shellCount));
  }
  out += ']';
}

void appendShells(std::string& out, const ReflectionTable& table, const ShellLayout& layout) {
  const ShellCounts counts = countByShell(layout, table.status);
  appendKey(out, "shellHeading");
  appendString(out, layout.axis == ShellAxis::DSpacing ? "d range (A)" : "2theta range (deg)");
  appendKey(out, "shellRanges");
  out += '[';
  for (int shell = 0; shell < layout.shellCount(); ++shell) {
    out += shell == 0 ? "" : ",";
    appendString(out, shellRange(layout, shell));
  }
  out += ']';
  appendKey(out, "limited");
  out += layout.limited ? "true" : "false";
  appendKey(out, "beyondLimit");
  out += std::to_string(counts.rowsBeyondLimit);
}

void appendRows(std::string& out, const ReflectionTable& table, const std::vector<int>& rows, const ShellLayout& layout,
                const RowThresholds& thresholds) {
  const auto integers = [&out](const std::vector<std::int32_t>& column) {
    return [&out, &column](int row) { out += std::to_string(column[row]); };
  };
  const auto floats = [&out](const std::vector<float>& column) {
    return [&out, &column](int row) { appendFloat(out, column[row]); };
  };
  const auto bits = [&out](const std::vector<WindowBits>& column) {
    return [&out, &column](int row) { out += std::to_string(column[row]); };
  };
  appendColumn(out, "h", rows, integers(table.h));
  appendColumn(out, "k", rows, integers(table.k));
  appendColumn(out, "l", rows, integers(table.l));
  // Rows of a flavour that is not ordered stand in file order.
  const bool ordered = flavourOf(table).ordered;
  appendColumn(out, "fileRow", rows, [&](int row) { out += std::to_string(ordered ? table.fileRow[row] : row + 1); });
  appendColumn(out, "twoTheta", rows, floats(table.twoTheta));
  if (usesWidthWindow(flavourOf(table))) {
    appendColumn(out, "width", rows, floats(table.peakWidth));
  }
  appendColumn(out, "amplitude", rows, floats(table.amplitude));
  appendColumn(out, "shell", rows, integers(layout.shellOfRow));
  appendColumn(out, "cut", rows, bits(thresholds.cut));
  appendColumn(out, "link", rows, bits(thresholds.link));
  appendColumn(out, "removedInInput", rows,
               [&](int row) { out += table.status[row] == RowStatus::RemovedInInput ? '1' : '0'; });
}

void refuseTooMany(const ReflectionTable& table, const PageSettings& settings, std::size_t rows) {
  std::string place = ": " + std::to_string(rows) + " reflections to show, at most " + std::to_string(mostPageRows) +
                      "; cut the range with --two-theta-max X";
  place += flavourOf(table).entryHasCell ? " or --d-min X" : "";
  throw RunError(tooManyRows, settings.unitNumber, settings.fileName, place);
}

}  // namespace

void writeWindowPage(std::ostream& out, const ReflectionTable& table, const PageSettings& settings) {
  const std::vector<bool> shown = shownRows(table);
  std::vector<int> rows;
  for (int row = 0; row < table.rows; ++row) {
    if (shown[row]) rows.push_back(row);
  }
  if (rows.size() > static_cast<std::size_t>(mostPageRows)) {
    refuseTooMany(table, settings, rows.size());
  }
  const ShellLayout layout = layShells(table, settings.shellCount);
  std::string data = "{";
  appendRun(data, table, settings);
  appendOptions(data, table, settings);
  appendShells(data, table, layout);
  appendRows(data, table, rows, layout, rowThresholds(table, shown));
  data += "}";

  const std::size_t dataAt = windowPageMarkup.find(pageDataPlace);
  const std::size_t scriptAt = windowPageMarkup.find(pageScriptPlace);
  out << windowPageMarkup.substr(0, dataAt) << data
      << windowPageMarkup.substr(dataAt + pageDataPlace.size(), scriptAt - dataAt - pageDataPlace.size())
      << windowPageScript << windowPageMarkup.substr(scriptAt + pageScriptPlace.size());
}

}  // namespace kestran
