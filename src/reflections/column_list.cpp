#include "reflections/column_list.hpp"

#include <algorithm>
#include <cctype>

namespace kestran {

namespace {

struct ColumnName {
  std::string_view name;
  Column column;
};

constexpr ColumnName columnNames[] = {
    {"h", Column::H},
    {"k", Column::K},
    {"l", Column::L},
    {"tt", Column::TwoTheta},
    {"d", Column::DSpacing},
    {"fwhm", Column::Fwhm},
    {"mult", Column::Multiplicity},
    {"F", Column::F},
    {"F2", Column::FSquared},
    {"I", Column::Intensity},
    {"sigF", Column::SigmaF},
    {"sigF2", Column::SigmaFSquared},
    {"sigI", Column::SigmaI},
    {"skip", Column::Skip},
};

bool sameLetters(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

std::string_view nameOf(Column column) {
  for (const ColumnName& entry : columnNames) {
    if (entry.column == column) {
      return entry.name;
    }
  }
  return "?";
}

// Names that stand for one quantity: at most one of each group.
struct Quantity {
  Column first, second, third;
};
constexpr Quantity oneOf[] = {{Column::F, Column::FSquared, Column::Intensity},
                              {Column::SigmaF, Column::SigmaFSquared, Column::SigmaI}};

std::string checkedList(const ColumnList& list) {
  for (const Column required : {Column::H, Column::K, Column::L}) {
    if (!list.has(required)) {
      return "the columns lack " + std::string(nameOf(required)) + ": h, k and l are required";
    }
  }
  for (const Quantity& quantity : oneOf) {
    const int given = static_cast<int>(list.has(quantity.first)) + static_cast<int>(list.has(quantity.second)) +
                      static_cast<int>(list.has(quantity.third));
    if (given > 1) {
      return "the columns name more than one of " + std::string(nameOf(quantity.first)) + ", " +
             std::string(nameOf(quantity.second)) + " and " + std::string(nameOf(quantity.third)) +
             ": give one (the last two are the same quantity)";
    }
  }
  if (!list.has(Column::F) && !list.givesIntensity()) {
    return "the columns lack the value: give one of F, F2 and I";
  }
  return {};
}

}  // namespace

bool ColumnList::has(Column column) const { return std::find(columns.begin(), columns.end(), column) != columns.end(); }

bool columnOfName(std::string_view name, Column& column) {
  for (const ColumnName& entry : columnNames) {
    if (sameLetters(entry.name, name)) {
      column = entry.column;
      return true;
    }
  }
  return false;
}

std::string parseColumnList(std::string_view text, ColumnList& list) {
  list.columns.clear();
  list.description.clear();
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find_first_of(", \t", at), text.size());
    const std::string_view name = text.substr(at, end - at);
    at = end + 1;
    if (name.empty()) {
      continue;
    }
    Column column{};
    if (!columnOfName(name, column)) {
      return "unknown column '" + std::string(name) + "': the names are " + columnNamesText();
    }
    if (column != Column::Skip && list.has(column)) {
      return "the column " + std::string(nameOf(column)) + " is named twice";
    }
    list.columns.push_back(column);
    if (!list.description.empty()) {
      list.description += ',';
    }
    list.description += nameOf(column);
  }
  return checkedList(list);
}

bool positionSourceOf(const ColumnList& list, bool cellGiven, bool wavelengthGiven, PositionSource& source,
                      std::string& missing) {
  if (list.has(Column::TwoTheta)) {
    source = PositionSource::ListAngle;
  } else if (cellGiven && wavelengthGiven) {
    source = PositionSource::Cell;
  } else if (list.has(Column::DSpacing) && wavelengthGiven) {
    source = PositionSource::DSpacing;
  } else if (cellGiven) {
    missing = "--cell needs --wavelength to give each reflection its angle";
    return false;
  } else if (list.has(Column::DSpacing)) {
    missing = "the column d needs --wavelength to give each reflection its angle";
    return false;
  } else {
    missing =
        "the columns give no position: add tt (2theta) or d (with --wavelength) to --columns, or give "
        "--cell a,b,c,alpha,beta,gamma and --wavelength";
    return false;
  }
  return true;
}

Flavour describeListFlavour(const ColumnList& list, bool wavelengthGiven, bool fileOrder) {
  Flavour flavour = columnListFlavour();
  flavour.ordered = !fileOrder;
  flavour.orderedByAngleRead = list.positions == PositionSource::ListAngle;
  const bool widths = list.has(Column::Fwhm);
  flavour.window = widths ? WindowKind::DeltaTimesWidth : WindowKind::FixedFromFile;
  flavour.windowAsked = widths ? WindowAsked::AfterOrdering : WindowAsked::Never;
  flavour.entryHasSigmas = list.hasSigma();
  flavour.entryHasCell = wavelengthGiven;
  flavour.entryHasMultiplicity = list.has(Column::Multiplicity);
  flavour.shellAxis = wavelengthGiven ? ShellAxis::DSpacing : ShellAxis::TwoTheta;
  return flavour;
}

std::string columnNamesText() {
  std::string text;
  for (const ColumnName& entry : columnNames) {
    if (!text.empty()) {
      text += ' ';
    }
    text += entry.name;
  }
  return text;
}

}  // namespace kestran
