#include "driver/options.hpp"

#include <getopt.h>

#include <iterator>
#include <string_view>
#include <vector>

#include "driver/column_options.hpp"
#include "driver/option_rules.hpp"
#include "reflections/flavours.hpp"
#include "reflections/space_group.hpp"
#include "text/cat.hpp"
#include "text/number_reading.hpp"

namespace kestran {

namespace {

constexpr int mostShells = 100;

int parseCode(std::string_view text) {
  std::int32_t code = 0;
  if (!parseInteger(text, code) || findFlavour(code) == nullptr) {
    throw UsageError(cat("--code must be ", codeList(anyFlavour, " or "), ", not '", text, "'"));
  }
  return code;
}

// A window, DELTA or D: a number, 0 or more.
float parseWindow(std::string_view option, std::string_view text) {
  float window = 0;
  if (!parseReal(text, window)) {
    throw UsageError(cat(option, " must be a number, not '", text, "'"));
  }
  if (window < 0) {
    throw UsageError(cat(option, " must be 0 or more (a window below 0 removes nothing), not '", text, "'"));
  }
  return window;
}

// A whole number from 1 to `most`.
int parseCount(std::string_view option, std::string_view text, int most) {
  std::int32_t count = 0;
  if (!parseInteger(text, count) || count < 1 || count > most) {
    throw UsageError(cat(option, " must be a whole number from 1 to ", most, ", not '", text, "'"));
  }
  return count;
}

// The windows of --scan=LIST, separated by commas; no LIST gives none, and
// the scan takes its default series.
std::vector<float> parseWindowList(const char* list) {
  std::vector<float> windows;
  if (list == nullptr) {
    return windows;
  }
  std::string_view rest = list;
  for (;;) {
    const std::size_t comma = rest.find(',');
    const std::string_view item = rest.substr(0, comma);
    float window = 0;
    if (!parseReal(item, window)) {
      throw UsageError(cat("--scan takes numbers separated by commas, not '", item, "'"));
    }
    if (window < 0) {
      throw UsageError(cat("--scan takes windows of 0 or more (a window below 0 removes nothing), not '", item, "'"));
    }
    windows.push_back(window);
    if (comma == std::string_view::npos) {
      return windows;
    }
    rest.remove_prefix(comma + 1);
  }
}

// One of two words: true for the second.
bool parseChoice(std::string_view option, std::string_view text, std::string_view first, std::string_view second) {
  if (text != first && text != second) {
    throw UsageError(cat(option, " must be ", first, " or ", second, ", not '", text, "'"));
  }
  return text == second;
}

// A space group that gemmi's tables know.
std::string parseSpaceGroup(std::string_view text) {
  if (findSpaceGroup(text) == nullptr) {
    throw UsageError(
        cat("--space-group takes a Hermann-Mauguin symbol (P 21/c, P121/c1, Pbca, R -3 m :H) or a "
            "number from 1 to 230, not '",
            text, "'"));
  }
  return std::string(text);
}

// A limit is a number above 0.
float parseLimit(std::string_view option, std::string_view text) {
  float limit = 0;
  if (!parseReal(text, limit) || !(limit > 0)) {
    throw UsageError(cat(option, " must be a number above 0, not '", text, "'"));
  }
  return limit;
}

// The one word an option takes (true), or a usage error.
bool expectWord(std::string_view option, std::string_view text, std::string_view word) {
  if (text != word) {
    throw UsageError(cat(option, " takes ", word, ", not '", text, "'"));
  }
  return true;
}

bool fixedWindow(const Flavour& flavour) { return !usesWidthWindow(flavour); }

// A scan writes no file, so it takes no extra output.
void checkScanAlone(const RunOptions& run) {
  std::vector<std::string> extras;
  bool given = false;
  for (const ExtraOutput& output : extraOutputs()) {
    extras.push_back(cat("--", output.option));
    given = given || !run.extraFiles[extraOutputIndex(output)].empty();
  }
  if (run.scan && given) {
    throw UsageError(cat("--scan writes no file: ", listed(extras), " cannot go with it"));
  }
}

// A quiet run asks nothing and prints no table.
void checkQuiet(const RunOptions& run) {
  if (!run.quiet) {
    return;
  }
  if (!isBatchRun(run)) {
    throw UsageError("--quiet needs --code N and BASENAME: a run that asks at the console cannot be quiet");
  }
  if (run.scan || run.stats) {
    throw UsageError("--quiet prints nothing: --scan and --stats cannot go with it");
  }
}

// "1 FULLPROF JFOU=2, 4 FULLPROF JFOU=4, 2 SIRPOW, 3 EXPO": the codes in the menu's order.
std::string menuCodes() {
  std::string list;
  for (const Flavour& flavour : flavoursInMenuOrder()) {
    list += cat(list.empty() ? "" : ", ", flavour.code, " ", flavour.name);
  }
  return list;
}

// The options that answer the dialogue's questions, shown first.
const OptionRule answerRules[] = {
    {.name = "code",
     .value = " N",
     .apply = [](CommandLine& l, const char* v) { l.run.answers.inputCode = parseCode(v); },
     .help = cat("input code: ", menuCodes())},
    {.name = "delta",
     .value = " X",
     .apply = [](CommandLine& l, const char* v) { l.run.answers.delta = parseWindow("--delta", v); },
     .help = cat("DELTA for ", namedCodes(usesWidthWindow), " (window = DELTA x peak width)")},
    {.name = "window",
     .value = " D",
     .apply = [](CommandLine& l, const char* v) { l.run.window = parseWindow("--window", v); },
     .help = cat("window D in degrees 2theta instead of the file's (", namedCodes(fixedWindow),
                 "), or of a\ncolumn list without fwhm")},
    {.name = "no-pause",
     .takes = Takes::Nothing,
     .apply = [](CommandLine& l, const char*) { l.run.answers.pause = false; },
     .help = "end without the final pause"},
    {.name = "quiet",
     .takes = Takes::Nothing,
     .synopsis = InSynopsis::RunForm,
     .apply = [](CommandLine& l, const char*) { l.run.quiet = true; },
     .help = "with --code and BASENAME: no report, only warnings and errors"},
};

// The options that change what the run does and writes. A new option is one
// entry here (or in answerRules); the parser and the usage follow, and the
// synopsis in the README and the man page must show it (a test holds them
// to this table). The options of the extra outputs come from their table.
const OptionRule settingRules[] = {
    {.name = "plot-scale",
     .value = " linear|log",
     .synopsis = InSynopsis::RunForm,
     .apply = [](CommandLine& l, const char* v) { l.run.logPlot = parseChoice("--plot-scale", v, "linear", "log"); },
     .help = "intensity axis of the plot: linear (default) or log"},
    {.name = "stats",
     .takes = Takes::Nothing,
     .synopsis = InSynopsis::RunForm,
     .apply = [](CommandLine& l, const char*) { l.run.stats = true; },
     .help = "after the run, the kept fraction per resolution shell"},
    {.name = "shells",
     .value = " N",
     .apply = [](CommandLine& l, const char* v) { l.run.shellCount = parseCount("--shells", v, mostShells); },
     .help = cat("number of resolution shells (default ", defaultShellCount, ")")},
    {.name = "scan",
     .takes = Takes::OptionalValue,
     .value = "[=LIST]",
     .synopsis = InSynopsis::ScanHead,
     .apply =
         [](CommandLine& l, const char* v) {
           l.run.scan = true;
           l.run.scanWindows = parseWindowList(v);
         },
     .help = cat("dry run: kept reflections per window (D for ", namedCodes(fixedWindow), ",\nDELTA for ",
                 codeList(usesWidthWindow), "), e.g. --scan=0,0.01,0.02; no file is written")},
    {.name = "max-reflections",
     .value = " N",
     .apply = [](CommandLine& l,
                 const char* v) { l.run.maxReflections = parseCount("--max-reflections", v, maxCapacity); },
     .help = cat("take up to N reflections, 1 to ", maxCapacity, " (default ", defaultCapacity, ")")},
    {.name = "strict",
     .takes = Takes::Nothing,
     .apply = [](CommandLine& l, const char*) { l.run.strict = true; },
     .help = "a warning about the input stops the run (exit 1, no file replaced)"},
    {.name = "sigma",
     .value = "=file",
     .synopsis = InSynopsis::RunForm,
     .apply = [](CommandLine& l, const char* v) { l.run.sigmasFromFile = expectWord("--sigma", v, "file"); },
     .help = cat("sigmas from the entry file instead of F/100 (",
                 namedCodes([](const Flavour& f) { return f.entryHasSigmas && !f.writesOwnSigmas; }), "; ",
                 namedCodes([](const Flavour& f) { return f.writesOwnSigmas; }),
                 "\nalways has its own): sigma(F) as read in NAMEF.hkl, sigma(I) =\n"
                 "2 F sigma(F) in NAMEI.hkl and NAME.int, as in the CIF")},
    {.name = "layout",
     .value = "=shelx",
     .synopsis = InSynopsis::RunForm,
     .apply = [](CommandLine& l, const char* v) { l.run.shelxRecords = expectWord("--layout", v, "shelx"); },
     .help = cat("F.hkl in HKLF 3's 3I4,F8.2,F8.3,I4 and I.hkl in HKLF 4's 3I4,2F8.2,I4\n"
                 "for every code, each value apart from the next (a value that would\n"
                 "fill its field stops the run); ",
                 namedCodes([](const Flavour& f) { return f.layouts != OutputLayouts::Shelx; }),
                 " then writes sigma(I) = 2 F sigma(F)")},
    {.name = "d-min",
     .value = " X",
     .apply = [](CommandLine& l, const char* v) { l.run.limit.dMin = parseLimit("--d-min", v); },
     .help = cat("write no reflection with d below X angstrom (",
                 namedCodes([](const Flavour& f) { return f.entryHasCell; }), ")")},
    {.name = "two-theta-max",
     .value = " X",
     .apply = [](CommandLine& l, const char* v) { l.run.limit.twoThetaMax = parseLimit("--two-theta-max", v); },
     .help = "write no reflection with 2theta above X degrees"},
    {.name = "overlaps",
     .value = "=drop|share",
     .apply =
         [](CommandLine& l, const char* v) {
           l.run.overlaps = parseChoice("--overlaps", v, "drop", "share") ? OverlapRule::Share : OverlapRule::Drop;
         },
     .help = "reflections closer than the window: drop (default) removes them,\n"
             "share keeps each overlap group with the group's mean intensity"},
    {.name = "space-group",
     .value = " SYMBOL",
     .apply = [](CommandLine& l, const char* v) { l.run.spaceGroup = parseSpaceGroup(v); },
     .help = "space group (P 21/c, Pbca, R -3 m :H or 1 to 230): each reflection's\n"
             "multiplicity, sharing by multiplicity, a warning for absent ones"},
    {.name = "columns",
     .value = " LIST",
     .synopsis = InSynopsis::ListHead,
     .apply = [](CommandLine& l, const char* v) { setColumns(l.run.columnList, v); },
     .help = cat("read FILE, one reflection per line, whose values are the columns\n"
                 "named in LIST (e.g. h,k,l,tt,fwhm,I,sigI) from\n",
                 columnNamesText(), ";\nthe outputs are named from FILE less its extension")},
    {.name = "cell",
     .value = " A,B,C,AL,BE,GA",
     .synopsis = InSynopsis::ListForm,
     .apply = [](CommandLine& l, const char* v) { l.run.cell = parseCell(v); },
     .help = "the cell of a column list without tt: each angle from h k l"},
    {.name = "wavelength",
     .value = " X",
     .synopsis = InSynopsis::ListForm,
     .apply = [](CommandLine& l, const char* v) { l.run.wavelength = parseLimit("--wavelength", v); },
     .help = "the wavelength of a column list (with --cell or d, the angles;\nwith tt, the d-spacings)"},
    {.name = "skip-lines",
     .value = " N",
     .synopsis = InSynopsis::ListForm,
     .apply = [](CommandLine& l, const char* v) { l.run.columnList.skipLines = parseLineCount(v); },
     .help = "header lines of a column list before its first reflection"},
    {.name = "order",
     .value = " angle|file",
     .synopsis = InSynopsis::ListForm,
     .apply = [](CommandLine& l, const char* v) { l.run.fileOrder = parseChoice("--order", v, "angle", "file"); },
     .help = "a column list ordered by angle (default) or kept in file order"},
    {.name = "help",
     .takes = Takes::Nothing,
     .synopsis = InSynopsis::Apart,
     .apply = [](CommandLine& l, const char*) { l.help = true; }},
    {.name = "version",
     .takes = Takes::Nothing,
     .synopsis = InSynopsis::Apart,
     .apply = [](CommandLine& l, const char*) { l.version = true; }},
};

// The answers, the extra outputs, then the settings.
std::vector<OptionRule> allRules() {
  std::vector<OptionRule> rules(std::begin(answerRules), std::end(answerRules));
  for (const ExtraOutput& output : extraOutputs()) {
    rules.push_back({.name = output.option.data(),  // each a literal, so ending in a NUL
                     .value = " FILE",
                     .synopsis = InSynopsis::RunForm,
                     .extraOutput = extraOutputIndex(output),
                     .help = std::string(output.help)});
  }
  rules.insert(rules.end(), std::begin(settingRules), std::end(settingRules));
  return rules;
}

// getopt_long's table: each option returns its index in optionRules.
std::vector<option> longOptions() {
  constexpr int hasArg[] = {no_argument, required_argument, optional_argument};
  std::vector<option> options;
  for (const OptionRule& rule : optionRules()) {
    options.push_back({rule.name, hasArg[static_cast<int>(rule.takes)], nullptr, static_cast<int>(options.size())});
  }
  options.push_back({nullptr, 0, nullptr, 0});
  return options;
}

void applyRule(const OptionRule& rule, CommandLine& line, const char* value) {
  if (rule.apply == nullptr) {
    line.run.extraFiles[rule.extraOutput] = value;
  } else {
    rule.apply(line, value);
  }
}

}  // namespace

std::span<const OptionRule> optionRules() {
  static const std::vector<OptionRule> rules = allRules();
  return rules;
}

CommandLine parseCommandLine(int argc, char* argv[]) {
  const std::vector<option> options = longOptions();
  const std::span<const OptionRule> rules = optionRules();
  CommandLine line;
  GivenAnswers& given = line.run.answers;
  optind = 1;
  opterr = 0;  // our own message instead of getopt's
  for (;;) {
    const int id = getopt_long(argc, argv, "", options.data(), nullptr);
    if (id == -1) {
      break;
    }
    if (id < 0 || id >= static_cast<int>(rules.size())) {
      throw UsageError(cat("unknown option or missing value: ", argv[optind - 1]));
    }
    applyRule(rules[id], line, optarg);
  }
  if (optind < argc) {
    given.baseName = argv[optind++];
  }
  if (optind < argc) {
    throw UsageError(cat("more than one base name: ", argv[optind]));
  }
  checkColumnOptions(line.run);
  if (!line.run.columnList.empty()) {
    checkFlavourOptions(line.run, listFlavourOf(line.run));
  } else if (given.inputCode) {
    checkFlavourOptions(line.run, flavourOf(*given.inputCode));
  }
  checkScanAlone(line.run);
  checkQuiet(line.run);
  return line;
}

void checkFlavourOptions(const RunOptions& run, const Flavour& flavour) {
  const std::string refused = flavour.optionOnly ? std::string(" is refused for this column list")
                                                 : cat(" is refused for code ", flavour.code, " (", flavour.name, ")");
  if (run.answers.delta && !usesWidthWindow(flavour)) {
    throw UsageError(
        flavour.optionOnly
            ? cat("--delta", refused, ": it has no fwhm; give its window with --window D")
            : cat("--delta", refused, ": its window is D in degrees 2theta; use --window D to replace the file's"));
  }
  if (run.window && usesWidthWindow(flavour)) {
    throw UsageError(cat("--window", refused, ": its window is DELTA x peak width; use --delta X"));
  }
  if (run.quiet && usesWidthWindow(flavour) && !run.answers.delta) {
    throw UsageError(cat("--quiet", refused, " needs --delta X: a quiet run asks nothing"));
  }
  if (flavour.optionOnly && !usesWidthWindow(flavour) && !run.window && !run.scan) {
    throw UsageError(cat("--columns ", run.columnList.description,
                         " has no fwhm: give the window of every pair with --window D (degrees 2theta)"));
  }
  if (run.limit.dMin > 0 && !flavour.entryHasCell) {
    throw UsageError(cat("--d-min", refused, ": ",
                         flavour.optionOnly ? "it has no wavelength (give --wavelength)"
                                            : "its files give no wavelength, so no d-spacing; use --two-theta-max"));
  }
  if (run.sigmasFromFile && !flavour.entryHasSigmas) {
    throw UsageError(cat("--sigma=file", refused, ": ",
                         flavour.optionOnly ? "--columns names no sigF, sigF2 or sigI" : "its files carry no sigmas"));
  }
}

}  // namespace kestran
