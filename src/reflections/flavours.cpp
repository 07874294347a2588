#include "reflections/flavours.hpp"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "reflections/entry_readers.hpp"
#include "text/cat.hpp"

namespace kestran {

namespace {

// In the order of the menu, then the rows chosen by an option. The menu's
// lines keep their classic padding and punctuation: the last one ends the
// question.
constexpr Flavour flavours[] = {
    {.code = 1,
     .name = "FULLPROF JFOU=2",
     .family = "FULLPROF",
     .menuLine = "  FULLPROF JFOU=2 (1),",
     .chosenLine = "  You have chosen FULLPROF data, should be .dat",
     .entrySuffix = ".dat",
     .headerLines = 0,
     .read = readFullprofJfou2,
     .ordered = true,
     .window = WindowKind::FixedFromFile,
     .windowAsked = WindowAsked::Never,
     .entryHasSigmas = true,
     .writesOwnSigmas = false,
     .entryHasCell = true,
     .entryHasMultiplicity = false,
     .layouts = OutputLayouts::Shelx,
     .shellAxis = ShellAxis::DSpacing},
    {.code = 4,
     .name = "FULLPROF JFOU=4",
     .family = "FULLPROF",
     .menuLine = "  FULLPROF JFOU=4 (4),",
     .chosenLine = "  You have chosen FULLPROF data, should be .dat",
     .entrySuffix = ".dat",
     .headerLines = 0,
     .read = readFullprofJfou4,
     .ordered = true,
     .window = WindowKind::FixedFromFile,
     .windowAsked = WindowAsked::Never,
     .entryHasSigmas = true,
     .writesOwnSigmas = true,
     .entryHasCell = true,
     .entryHasMultiplicity = false,
     .layouts = OutputLayouts::Jfou4,
     .shellAxis = ShellAxis::DSpacing},
    {.code = 2,
     .name = "SIRPOW",
     .family = "SIRPOW",
     .menuLine = "  SIRPOW          (2)",
     .chosenLine = "  You have chosen SIRPOW   data, should be .hkl",
     .entrySuffix = ".hkl",
     .headerLines = 2,
     .read = readSirpow,
     .ordered = false,
     .window = WindowKind::DeltaTimesWidth,
     .windowAsked = WindowAsked::BeforeReading,
     .entryHasSigmas = true,
     .writesOwnSigmas = false,
     .entryHasCell = false,
     .entryHasMultiplicity = true,
     .layouts = OutputLayouts::Shelx,
     .shellAxis = ShellAxis::TwoTheta},
    {.code = 3,
     .name = "EXPO",
     .family = "EXPO",
     .menuLine = "  or EXPO         (3) data ? ",
     .chosenLine = "  You have chosen EXPO     data, should be .hkl",
     .entrySuffix = ".hkl",
     .headerLines = 1,
     .read = readExpo,
     .ordered = true,
     .window = WindowKind::DeltaTimesWidth,
     .windowAsked = WindowAsked::AfterOrdering,
     .entryHasSigmas = false,
     .writesOwnSigmas = false,
     .entryHasCell = true,
     .entryHasMultiplicity = false,
     .layouts = OutputLayouts::Shelx,
     .shellAxis = ShellAxis::DSpacing},
    // What a described list holds sets the run's copy of this row: see
    // describeListFlavour.
    {.code = 5,
     .name = "column list",
     .family = "column list",
     .menuLine = "",
     .chosenLine = "  You have chosen a column list:",
     .entrySuffix = "",
     .headerLines = 0,
     .read = readColumnList,
     .ordered = true,
     .window = WindowKind::DeltaTimesWidth,
     .windowAsked = WindowAsked::AfterOrdering,
     .entryHasSigmas = false,
     .writesOwnSigmas = false,
     .entryHasCell = false,
     .entryHasMultiplicity = false,
     .layouts = OutputLayouts::Shelx,
     .shellAxis = ShellAxis::DSpacing,
     .optionOnly = true},
};

constexpr std::size_t menuRows = static_cast<std::size_t>(std::count_if(
    std::begin(flavours), std::end(flavours), [](const Flavour& flavour) { return !flavour.optionOnly; }));
static_assert(std::all_of(std::begin(flavours), std::begin(flavours) + menuRows,
                          [](const Flavour& flavour) { return !flavour.optionOnly; }),
              "the rows of the menu come first");

// The codes of the menu: a flavour chosen by an option has none to type.
std::vector<int> codesOf(FlavourTest which) {
  std::vector<int> codes;
  for (const Flavour& flavour : flavoursInMenuOrder()) {
    if (which(flavour)) {
      codes.push_back(flavour.code);
    }
  }
  std::sort(codes.begin(), codes.end());
  return codes;
}

}  // namespace

std::span<const Flavour> flavoursInMenuOrder() { return std::span(flavours).first(menuRows); }

const Flavour& columnListFlavour() { return flavours[menuRows]; }

const Flavour* findFlavour(int code) {
  for (const Flavour& flavour : flavoursInMenuOrder()) {
    if (flavour.code == code) {
      return &flavour;
    }
  }
  return nullptr;
}

const Flavour& flavourOf(int code) {
  const auto* flavour =
      std::find_if(std::begin(flavours), std::end(flavours), [code](const Flavour& row) { return row.code == code; });
  if (flavour == std::end(flavours)) {
    throw std::logic_error(cat("no flavour has the input code ", code));
  }
  return *flavour;
}

std::string codeList(FlavourTest which, std::string_view lastJoin) {
  std::vector<std::string> words;
  for (const int code : codesOf(which)) {
    words.push_back(cat(code));
  }
  return listed(words, lastJoin);
}

std::string namedCodes(FlavourTest which) {
  return cat(codesOf(which).size() == 1 ? "code " : "codes ", codeList(which));
}

std::string familyList(FlavourTest which) {
  std::vector<std::string> families;
  for (const Flavour& flavour : flavoursInMenuOrder()) {
    if (which(flavour) && std::find(families.begin(), families.end(), flavour.family) == families.end()) {
      families.emplace_back(flavour.family);
    }
  }
  return listed(families, " and ");
}

int lowestCode() { return codesOf(anyFlavour).front(); }

int highestCode() { return codesOf(anyFlavour).back(); }

}  // namespace kestran
