#include "output/reflection_cif.hpp"

#include <algorithm>
#include <cmath>

#include "processing/resolution_limit.hpp"
#include "processing/shells.hpp"
#include "reflections/cell_geometry.hpp"
#include "reflections/space_group.hpp"
#include "text/block_writer.hpp"
#include "text/line_builder.hpp"
#include "text/number_writing.hpp"

namespace kestran {

namespace {

constexpr std::size_t longestBlockName = 70;

bool isNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.';
}

// A CIF 1.1 file holds printable ASCII only: any other byte of a file name
// is written as '_'.
std::string printable(std::string_view text) {
  std::string shown(text);
  for (char& c : shown) {
    if (c < ' ' || c > '~') {
      c = '_';
    }
  }
  return shown;
}

void item(std::ostream& out, std::string_view name, std::string_view value) {
  out << name << std::string(name.size() < 34 ? 34 - name.size() : 1, ' ') << value << '\n';
}

// The d-spacing of the resolution limit: dMin, or the d of twoThetaMax at
// the wavelength of the file, whichever is larger.
double limitDSpacing(const ReflectionTable& table) {
  constexpr double radiansPerDegree = 0.017453292519943295;
  const ResolutionLimit& limit = table.limit;
  double d = limit.dMin;
  if (limit.twoThetaMax > 0) {
    const double sinTheta = std::sin(std::min(double{limit.twoThetaMax}, 180.0) * radiansPerDegree / 2.0);
    d = std::max(d, std::fabs(double{table.cell.wavelength}) / (2.0 * sinTheta));
  }
  return d;
}

std::string_view windowSourceWords(WindowSource source) {
  switch (source) {
    case WindowSource::EntryFile:
      return "'entry file'";
    case WindowSource::CommandLine:
      return "'command line'";
    case WindowSource::Console:
      break;
  }
  return "console";
}

// Items of the dictionary where the entry file gives them, then our own.
void writeRunItems(std::ostream& out, const ReflectionTable& table, const CifHeading& heading) {
  const Flavour& flavour = flavourOf(table);
  std::string program = "'";
  program += printable(heading.program);
  program += "'";
  item(out, "_computing_data_reduction", program);
  const CellParameters& cell = table.cell;
  // A column list may give its wavelength without a cell: an edge of 0.
  if (flavour.entryHasCell && cell.a > 0) {
    item(out, "_cell_length_a", shortestText(cell.a));
    item(out, "_cell_length_b", shortestText(cell.b));
    item(out, "_cell_length_c", shortestText(cell.c));
    item(out, "_cell_angle_alpha", shortestText(cell.alpha));
    item(out, "_cell_angle_beta", shortestText(cell.beta));
    item(out, "_cell_angle_gamma", shortestText(cell.gamma));
  }
  if (flavour.entryHasCell) {
    item(out, "_diffrn_radiation_wavelength", shortestText(cell.wavelength));
  }
  if (table.spaceGroup != nullptr) {
    std::string group = "'";
    group += spaceGroupName(*table.spaceGroup);
    group += "'";
    item(out, "_symmetry_space_group_name_H-M", group);
    item(out, "_space_group_name_H-M_alt", group);
  }
  if (flavour.entryHasCell && hasLimit(table.limit)) {
    item(out, "_reflns_d_resolution_high", decimalText(limitDSpacing(table), 5));
  }
  item(out, "_kestran_input_code", std::to_string(flavour.code));
  std::string name = "'";
  name += flavour.name;
  name += "'";
  item(out, "_kestran_input_flavour", name);
  if (flavour.optionOnly) {
    std::string columns = "'";
    columns += printable(table.columns.description);
    columns += '\'';
    item(out, "_kestran_input_columns", columns);
  }
  item(out, usesWidthWindow(flavour) ? "_kestran_window_DELTA" : "_kestran_window_D", shortestText(runWindow(table)));
  item(out, "_kestran_window_source", windowSourceWords(table.windowSource));
  const bool ownSigmas = flavour.writesOwnSigmas || table.sigmasFromFile;
  item(out, "_kestran_sigma_source", ownSigmas ? "'entry file'" : "'F/100'");
  if (table.limit.twoThetaMax > 0) {
    item(out, "_kestran_two_theta_max", shortestText(table.limit.twoThetaMax));
  }
}

// How the intensity file's sigma stands to the CIF's, by the run's rule,
// after the file's name.
std::string_view sigmaRuleText(SigmaRule rule) {
  switch (rule) {
    case SigmaRule::Hundredth:
      return " holds the classic sigma(I) = I/100 instead: half of this\n"
             "one, since sigma(F) = F/100 propagates to 2 |F| sigma(F) = I/50.\n";
    case SigmaRule::SquaredOwn:
      return " holds SIGF^2, the square of sigma(F), in its place.\n";
    case SigmaRule::Propagated:
      break;
  }
  return " holds this same sigma.\n";
}

void writeDetails(std::ostream& out, const CifHeading& heading, SigmaRule sigmas, bool withGroups,
                  bool withMultiplicity) {
  const std::string intensityFile = printable(heading.intensityFile);
  out << "_reflns_special_details\n"
         ";\n"
         "Reflections of "
      << printable(heading.entryFile)
      << " after the elimination of close neighbours.\n"
         "F_squared_meas and F_squared_sigma are on the scale of "
      << intensityFile
      << "\n"
         "(the strongest reflection written there is 5000), with\n"
         "sigma(F^2) = 2 |F| sigma(F) on that scale for every row.\n"
      << intensityFile << sigmaRuleText(sigmas) << "include_status: o kept, written to " << intensityFile
      << ";\n"
         "x removed by the window (overlapped) or in the entry file;\n"
         "h beyond the resolution limit, or with no real angle.\n"
         "_refln_kestran_two_theta: 2theta in degrees.\n"
      << (withMultiplicity ? "_refln_symmetry_multiplicity: in the Laue class of the space group\n"
                             "(Friedel mates merged).\n"
                           : "")
      << (withGroups ? "_refln_kestran_overlap_group: the overlap group of a row the window\n"
                       "would remove; its members are kept (o) with the group's mean intensity.\n"
                     : "")
      << ";\n";
}

// A run with a space group gives each row's multiplicity; a run that shares
// overlap groups names each row's group in a column of its own, "." for a
// row in no group.
void writeLoopHeader(std::ostream& out, bool withGroups, bool withMultiplicity) {
  out << "loop_\n"
         "_refln_index_h\n"
         "_refln_index_k\n"
         "_refln_index_l\n"
         "_refln_d_spacing\n"
         "_refln_kestran_two_theta\n"
         "_refln_F_squared_meas\n"
         "_refln_F_squared_sigma\n"
         "_refln_include_status\n";
  if (withMultiplicity) {
    out << "_refln_symmetry_multiplicity\n";
  }
  if (withGroups) {
    out << "_refln_kestran_overlap_group\n";
  }
}

// A finite value, or '?', right-justified in `width` columns after at
// least one blank.
void realField(LineBuilder& line, int width, bool present, float value) {
  if (!present || !std::isfinite(value)) {
    line.text("?", width);
  } else {
    line.shortest(value, width);
  }
}

void dSpacingField(LineBuilder& line, int width, double value) {
  if (!std::isfinite(value)) {
    line.text("?", width);
  } else {
    line.decimal(value, 5, width);
  }
}

constexpr std::size_t maxLoopRowLength =
    5 * (maxIntegerTextLength + 1) + maxDecimalTextLength + 1 + 3 * (maxShortestTextLength + 1) + 40;

void writeLoopRow(LineBuilder line, const ReflectionTable& table, int row, const OutputScale& scale) {
  line.integer(table.h[row], 4).integer(table.k[row], 4).integer(table.l[row], 4);
  dSpacingField(line, 11, dSpacing(table, row));
  const bool hasAngle = hasRealAngle(table.sinSquaredTheta[row]);
  realField(line, 12, hasAngle, table.twoTheta[row]);
  // A row marked removed in the entry file has no value.
  const bool measured = table.amplitude[row] != removedInInputMarker;
  const WrittenValues values = writtenValues(writtenAmplitude(table, row), writtenSigma(table, row), scale);
  realField(line, 14, measured, values.intensity);
  realField(line, 14, measured, values.propagatedSigma);
  line.character(' ').character(includeStatus(table, row));
  if (table.spaceGroup != nullptr) {
    line.integer(table.multiplicity[static_cast<std::size_t>(row)], 4);
  }
  if (sharesOverlaps(table)) {
    const std::int32_t group = table.groups.groupOf(row);
    if (group > 0) {
      line.integer(group, 6);
    } else {
      line.text(".", 6);
    }
  }
  line.endLine();
}

void countRows(std::ostream& out, const ReflectionTable& table) {
  int total = 0;
  int kept = 0;
  for (int row = 0; row < table.rows; ++row) {
    if (table.status[row] != RowStatus::ZeroIndices) {
      ++total;
      kept += includeStatus(table, row) == 'o' ? 1 : 0;
    }
  }
  item(out, "_reflns_number_total", std::to_string(total));
  item(out, "_reflns_number_gt", std::to_string(kept));
}

}  // namespace

std::string cifBlockName(std::string_view baseName) {
  const std::size_t slash = baseName.find_last_of('/');
  std::string name(slash == std::string_view::npos ? baseName : baseName.substr(slash + 1));
  for (char& c : name) {
    if (!isNameCharacter(c)) {
      c = '_';
    }
  }
  if (name.size() > longestBlockName) {
    name.resize(longestBlockName);
  }
  return name.empty() ? "kestran" : name;
}

char includeStatus(const ReflectionTable& table, int row) {
  switch (table.status[row]) {
    case RowStatus::Kept:
    case RowStatus::SharedInGroup:
      return hasRealAngle(table.sinSquaredTheta[row]) ? 'o' : 'h';
    case RowStatus::BeyondLimit:
      return 'h';
    default:
      return 'x';
  }
}

void writeReflectionCif(std::ostream& out, const ReflectionTable& table, const OutputScale& scale,
                        const CifHeading& heading) {
  out << cifFirstLine << '\n'
      << cifCommentStart << printable(heading.program) << ".\n"
      << "data_" << cifBlockName(heading.baseName) << '\n';
  writeRunItems(out, table, heading);
  countRows(out, table);
  writeDetails(out, heading, scale.sigmas, sharesOverlaps(table), table.spaceGroup != nullptr);
  writeLoopHeader(out, sharesOverlaps(table), table.spaceGroup != nullptr);
  BlockWriter writer(out);
  for (int row = 0; row < table.rows; ++row) {
    if (table.status[row] != RowStatus::ZeroIndices) {
      writeLoopRow(LineBuilder(writer, maxLoopRowLength), table, row, scale);
    }
  }
  writer.flush();
}

}  // namespace kestran
