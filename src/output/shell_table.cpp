#include "output/shell_table.hpp"

#include <cmath>

#include "text/formatted.hpp"

namespace kestran {

namespace {

std::string percentText(int kept, int rows, const char* format) {
  const double percent = percentKept(kept, rows);
  return std::isnan(percent) ? formatted("%*s", 7, "-") : formatted(format, percent);
}

// A percentage in `width` columns with one decimal, or a dash for no rows.
std::string percentCell(int part, int rows, int width) {
  const double percent = percentKept(part, rows);
  return std::isnan(percent) ? formatted("%*s", width, "-") : formatted("%*.1f", width, percent);
}

const char* rangeHeading(const ShellLayout& layout) {
  return layout.axis == ShellAxis::DSpacing ? "d range (A)" : "2theta range (deg)";
}

// The rows kept in overlap groups and their percentage, after the kept ones.
std::string sharedCells(int shared, int rows) { return formatted(" %6d ", shared) + percentCell(shared, rows, 8); }

void writeShellLines(std::ostream& out, const ShellLayout& layout, const ShellCounts& counts, bool withKept,
                     bool withShared = false) {
  out << formatted("  shell  %-18s %7s", rangeHeading(layout), "hkl") << (withKept ? "   kept  % kept" : "")
      << (withShared ? " shared % shared" : "") << '\n';
  for (int shell = 0; shell < layout.shellCount(); ++shell) {
    out << formatted("  %5d  %-18s %7d", shell + 1, shellRange(layout, shell).c_str(), counts.rows[shell]);
    if (withKept) {
      out << formatted(" %6d ", counts.kept[shell]) << percentText(counts.kept[shell], counts.rows[shell], "%7.1f");
    }
    if (withShared) {
      out << sharedCells(counts.shared[shell], counts.sharedOutOf[shell]);
    }
    out << '\n';
  }
  out << formatted("         %-18s %7d", "no real angle", counts.rowsWithoutAngle);
  if (withKept) {
    out << formatted(" %6d", counts.keptWithoutAngle);
  }
  out << '\n';
  if (layout.limited) {
    out << formatted("         %-18s %7d", "beyond the limit", counts.rowsBeyondLimit) << (withKept ? "      0" : "")
        << '\n';
  }
}

int sum(const std::vector<int>& values, int start) {
  for (const int value : values) start += value;
  return start;
}

// The shells' numbers that end a scan table's heading line.
void writeShellNumbers(std::ostream& out, int shellCount) {
  for (int shell = 1; shell <= shellCount; ++shell) {
    out << formatted(" %6d", shell);
  }
  out << '\n';
}

void writeScanHeader(std::ostream& out, const ScanHeading& heading, int shellCount) {
  out << formatted("  %c %9s %6s %7s %7s |", ' ', usesWidthWindow(*heading.flavour) ? "DELTA" : "D", "kept", "removed",
                   "% kept");
  writeShellNumbers(out, shellCount);
}

void writeSharedScanHeader(std::ostream& out, const ScanHeading& heading, int shellCount) {
  out << "\n  With --overlaps=share, the rows removed above that are kept in overlap groups"
      << (heading.byMultiplicity ? ", each counted by its multiplicity" : "") << ":\n"
      << formatted("  %c %9s %6s %6s %8s |", ' ', usesWidthWindow(*heading.flavour) ? "DELTA" : "D", "shared", "groups",
                   "% shared");
  writeShellNumbers(out, shellCount);
}

void writeSharedScanRow(std::ostream& out, const ScanRow& row, const std::optional<float>& ownWindow) {
  const bool own = ownWindow && *ownWindow == row.window;
  out << formatted("  %c %9g %6d %6d ", own ? '*' : ' ', double{row.window}, row.shared, row.groups)
      << percentCell(row.shared, row.sharedOutOf, 8) << " |";
  for (std::size_t shell = 0; shell < row.shells.rows.size(); ++shell) {
    out << ' ' << percentCell(row.shells.shared[shell], row.shells.sharedOutOf[shell], 6);
  }
  out << '\n';
}

void writeScanRow(std::ostream& out, const ScanRow& row, const std::optional<float>& ownWindow) {
  const bool own = ownWindow && *ownWindow == row.window;
  out << formatted("  %c %9g %6d %7d ", own ? '*' : ' ', double{row.window}, row.kept, row.removed)
      << percentText(row.kept, row.kept + row.removed, "%7.1f") << " |";
  for (std::size_t shell = 0; shell < row.shells.rows.size(); ++shell) {
    out << ' ' << percentText(row.shells.kept[shell], row.shells.rows[shell], "%6.1f");
  }
  out << '\n';
}

}  // namespace

std::string windowText(const Flavour& flavour, float window) {
  return usesWidthWindow(flavour) ? formatted("DELTA = %g", double{window})
                                  : formatted("D = %g degrees 2theta", double{window});
}

std::string_view windowOrigin(const Flavour& flavour, WindowSource source) {
  switch (source) {
    case WindowSource::EntryFile:
      return "from the entry file";
    case WindowSource::CommandLine:
      return usesWidthWindow(flavour) ? "from --delta" : "from --window";
    case WindowSource::Console:
      break;
  }
  return "typed at the console";
}

std::string shellRange(const ShellLayout& layout, int shell) {
  const char* format = layout.axis == ShellAxis::DSpacing ? "%.4f - %.4f" : "%.3f - %.3f";
  return formatted(format, edgeValue(layout, shell), edgeValue(layout, shell + 1));
}

void writeShellStats(std::ostream& out, const ShellLayout& layout, const ShellCounts& counts, const Flavour& flavour,
                     float window, WindowSource source, bool withShared) {
  const int rows = sum(counts.rows, counts.rowsWithoutAngle + counts.rowsBeyondLimit);
  const int kept = sum(counts.kept, counts.keptWithoutAngle);
  out << "\n  Resolution shells, " << windowText(flavour, window) << ' ' << windowOrigin(flavour, source)
      << (withShared ? "; --overlaps=share: kept alone, and shared in overlap groups" : "")
      << (withShared && counts.byMultiplicity ? " (shared counted by multiplicity)" : "") << '\n';
  writeShellLines(out, layout, counts, true, withShared);
  out << formatted("  all    %-18s %7d %6d ", "", rows, kept) << percentText(kept, rows, "%7.1f")
      << (withShared ? sharedCells(sum(counts.shared, 0), counts.sharedOutOfAll) : "") << '\n';
}

void writeScanTable(std::ostream& out, const ScanHeading& heading, const ShellLayout& layout,
                    const std::vector<ScanRow>& rows) {
  out << "\n  Window scan of " << heading.entryName << " (" << heading.flavour->name << "): " << heading.reflections
      << " reflections, " << (usesWidthWindow(*heading.flavour) ? "window DELTA x FWHM" : "window D in degrees 2theta")
      << '\n';
  ShellCounts shape;
  if (!rows.empty()) {
    shape = rows.front().shells;
  }
  shape.rows.resize(static_cast<std::size_t>(layout.shellCount()));
  writeShellLines(out, layout, shape, false);
  if (heading.ownWindow) {
    const bool width = usesWidthWindow(*heading.flavour);
    const bool givenD = !width && heading.ownSource == WindowSource::CommandLine;
    out << "  * " << (width ? "the DELTA given" : givenD ? "the D given (--window)" : "the file's own D") << '\n';
  }
  out << '\n';
  writeScanHeader(out, heading, layout.shellCount());
  for (const ScanRow& row : rows) {
    writeScanRow(out, row, heading.ownWindow);
  }
  if (heading.shared) {
    writeSharedScanHeader(out, heading, layout.shellCount());
    for (const ScanRow& row : rows) {
      writeSharedScanRow(out, row, heading.ownWindow);
    }
  }
}

}  // namespace kestran
