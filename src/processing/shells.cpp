#include "processing/shells.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "processing/resolution_limit.hpp"
#include "reflections/cell_geometry.hpp"

namespace kestran {

namespace {

constexpr double degreesPerRadian = 57.29577951308232;

// Shells in d-spacing need a wavelength: a flavour that gives one, and a
// usable value.
bool hasWavelength(const ReflectionTable& table) {
  const double wavelength = table.cell.wavelength;
  return flavourOf(table).shellAxis == ShellAxis::DSpacing && std::isfinite(wavelength) && wavelength != 0;
}

bool rowHasRealAngle(const ReflectionTable& table, int row) { return hasRealAngle(table.sinSquaredTheta[row]); }

// 1/d = 2 sin(theta) / lambda, so 1/d^3 = (4 sin^2(theta) / lambda^2)^(3/2).
double reciprocalVolume(const ReflectionTable& table, int row) {
  const double wavelength = table.cell.wavelength;
  const double inverseDSquared = 4.0 * double{table.sinSquaredTheta[row]} / (wavelength * wavelength);
  return inverseDSquared * std::sqrt(inverseDSquared);
}

// Where a row lies along the axis, or not a number for a row in no shell:
// one without a real angle, one beyond the resolution limit, or a row 0 0 0,
// which is no reflection.
double coordinate(const ReflectionTable& table, ShellAxis axis, int row) {
  if (!rowHasRealAngle(table, row) || table.status[row] == RowStatus::ZeroIndices || isBeyondLimit(table, row)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return axis == ShellAxis::DSpacing ? reciprocalVolume(table, row) : double{table.twoTheta[row]};
}

std::vector<double> equalSteps(double low, double high, int shellCount) {
  if (!(high > low)) {
    return {low, high};
  }
  std::vector<double> edges(static_cast<std::size_t>(shellCount) + 1);
  for (int edge = 0; edge < shellCount; ++edge) {
    edges[edge] = low + (high - low) * edge / shellCount;
  }
  edges.back() = high;
  return edges;
}

// The inner edges decide: a value on one belongs to the shell above it, and
// the values beyond the outer edges to the first or last shell.
int shellOf(const std::vector<double>& edges, double value) {
  const auto innerBegin = edges.begin() + 1;
  const auto innerEnd = edges.end() - 1;
  return static_cast<int>(std::upper_bound(innerBegin, innerEnd, value) - innerBegin);
}

}  // namespace

double dSpacing(const ReflectionTable& table, int row) {
  if (!hasWavelength(table) || !rowHasRealAngle(table, row)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return std::fabs(double{table.cell.wavelength}) / (2.0 * std::sqrt(double{table.sinSquaredTheta[row]}));
}

ShellLayout layShells(const ReflectionTable& table, int shellCount) {
  ShellLayout layout;
  layout.axis = hasWavelength(table) ? ShellAxis::DSpacing : ShellAxis::TwoTheta;
  layout.wavelength = table.cell.wavelength;
  layout.limited = hasLimit(table.limit);
  std::vector<double> coordinates(static_cast<std::size_t>(table.rows));
  double low = std::numeric_limits<double>::infinity();
  double high = -low;
  for (int row = 0; row < table.rows; ++row) {
    coordinates[row] = coordinate(table, layout.axis, row);
    if (std::isfinite(coordinates[row])) {
      low = std::min(low, coordinates[row]);
      high = std::max(high, coordinates[row]);
    }
  }
  layout.shellOfRow.assign(coordinates.size(), noShell);
  if (low > high) {
    return layout;
  }
  layout.edges = equalSteps(low, high, std::max(shellCount, 1));
  for (std::size_t row = 0; row < coordinates.size(); ++row) {
    if (std::isfinite(coordinates[row])) {
      layout.shellOfRow[row] = shellOf(layout.edges, coordinates[row]);
    }
  }
  return layout;
}

double edgeValue(const ShellLayout& layout, int edge) {
  const double value = layout.edges[edge];
  if (layout.axis == ShellAxis::TwoTheta) {
    return value;
  }
  return value > 0 ? 1.0 / std::cbrt(value) : std::numeric_limits<double>::infinity();
}

double edgeTwoTheta(const ShellLayout& layout, int edge) {
  if (layout.axis == ShellAxis::TwoTheta) {
    return layout.edges[edge];
  }
  const double sinTheta = std::fabs(double{layout.wavelength}) * std::cbrt(layout.edges[edge]) / 2.0;
  return 2.0 * degreesPerRadian * std::asin(std::min(sinTheta, 1.0));
}

ShellCounts countByShell(const ShellLayout& layout, const std::vector<RowStatus>& status,
                         const std::vector<std::int32_t>* multiplicity) {
  ShellCounts counts;
  counts.rows.assign(static_cast<std::size_t>(layout.shellCount()), 0);
  counts.kept.assign(counts.rows.size(), 0);
  counts.shared.assign(counts.rows.size(), 0);
  counts.sharedOutOf.assign(counts.rows.size(), 0);
  counts.byMultiplicity = multiplicity != nullptr;
  for (std::size_t row = 0; row < layout.shellOfRow.size(); ++row) {
    if (status[row] == RowStatus::ZeroIndices) {
      continue;
    }
    const int weight = multiplicity != nullptr ? (*multiplicity)[row] : 1;
    counts.sharedOutOfAll += weight;
    if (status[row] == RowStatus::BeyondLimit) {
      ++counts.rowsBeyondLimit;
      continue;
    }
    const int shell = layout.shellOfRow[row];
    const int kept = status[row] == RowStatus::Kept ? 1 : 0;
    if (shell == noShell) {
      // Rows without an angle are never close to a neighbour: never shared.
      ++counts.rowsWithoutAngle;
      counts.keptWithoutAngle += kept;
    } else {
      ++counts.rows[shell];
      counts.kept[shell] += kept;
      counts.shared[shell] += status[row] == RowStatus::SharedInGroup ? weight : 0;
      counts.sharedOutOf[shell] += weight;
    }
  }
  return counts;
}

double percentKept(int kept, int rows) {
  return rows > 0 ? 100.0 * kept / rows : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace kestran
