#include "driver/options.hpp"

#include <getopt.h>

#include <string_view>
#include <vector>

#include "reflections/flavours.hpp"
#include "text/number_reading.hpp"

namespace kestran {

namespace {

constexpr int mostShells = 100;

int parseCode(std::string_view text) {
  std::int32_t code = 0;
  if (!parseInteger(text, code) || findFlavour(code) == nullptr) {
    throw UsageError("--code must be 1, 2, 3 or 4, not '" + std::string(text) + "'");
  }
  return code;
}

float parseDelta(std::string_view text) {
  float delta = 0;
  if (!parseReal(text, delta)) {
    throw UsageError("--delta must be a number, not '" + std::string(text) + "'");
  }
  if (delta < 0) {
    throw UsageError("--delta must be 0 or more (a window below 0 removes nothing), not '" + std::string(text) + "'");
  }
  return delta;
}

// A whole number from 1 to `most`.
int parseCount(const char* option, std::string_view text, int most) {
  std::int32_t count = 0;
  if (!parseInteger(text, count) || count < 1 || count > most) {
    std::string message = option;
    message += " must be a whole number from 1 to " + std::to_string(most) + ", not '";
    message += text;
    message += "'";
    throw UsageError(message);
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
      throw UsageError("--scan takes numbers separated by commas, not '" + std::string(item) + "'");
    }
    if (window < 0) {
      throw UsageError("--scan takes windows of 0 or more (a window below 0 removes nothing), not '" +
                       std::string(item) + "'");
    }
    windows.push_back(window);
    if (comma == std::string_view::npos) {
      return windows;
    }
    rest.remove_prefix(comma + 1);
  }
}

// One of two words: true for the second.
bool parseChoice(const char* option, std::string_view text, std::string_view first, std::string_view second) {
  if (text != first && text != second) {
    std::string message = option;
    message += " must be ";
    message += first;
    message += " or ";
    message += second;
    message += ", not '";
    message += text;
    message += "'";
    throw UsageError(message);
  }
  return text == second;
}

// A scan writes no file, so it takes no report, plot or CIF.
void checkScanAlone(const RunOptions& run) {
  if (run.scan && (!run.reportFile.empty() || !run.plotFile.empty() || !run.cifFile.empty())) {
    throw UsageError("--scan writes no file: --report, --plot and --cif cannot go with it");
  }
}

// A limit is a number above 0.
float parseLimit(const char* option, std::string_view text) {
  float limit = 0;
  if (!parseReal(text, limit) || !(limit > 0)) {
    std::string message = option;
    message += " must be a number above 0, not '";
    message += text;
    message += "'";
    throw UsageError(message);
  }
  return limit;
}

// The one word an option takes (true), or a usage error.
bool expectWord(const char* option, std::string_view text, std::string_view word) {
  if (text != word) {
    std::string message = option;
    message += " takes ";
    message += word;
    message += ", not '";
    message += text;
    message += "'";
    throw UsageError(message);
  }
  return true;
}

// Each option: its name, whether it takes a value, what it sets, and its
// lines in the usage: the value as shown after the name, and what it does
// (lines after the first begin with blanks; none for --help and --version,
// which the usage names apart). The usage lists the options in this order.
struct OptionRule {
  const char* name;
  int value;  // no_argument, required_argument or optional_argument
  void (*apply)(CommandLine& line, const char* value);
  const char* shownValue;
  const char* help;
};

// Stands in a help text for the list of the input codes.
constexpr std::string_view codesPlaceholder = "{codes}";

const OptionRule optionRules[] = {
    {"code", required_argument, [](CommandLine& l, const char* v) { l.run.answers.inputCode = parseCode(v); }, " N",
     "input code: {codes}"},
    {"delta", required_argument, [](CommandLine& l, const char* v) { l.run.answers.delta = parseDelta(v); }, " X",
     "DELTA for codes 2 and 3 (window = DELTA x peak width)"},
    {"no-pause", no_argument, [](CommandLine& l, const char*) { l.run.answers.pause = false; }, "",
     "end without the final pause"},
    {"report", required_argument, [](CommandLine& l, const char* v) { l.run.reportFile = v; }, " FILE",
     "write a tab-separated elimination report"},
    {"plot", required_argument, [](CommandLine& l, const char* v) { l.run.plotFile = v; }, " FILE",
     "write an SVG stick diagram of the reflections"},
    {"plot-scale", required_argument,
     [](CommandLine& l, const char* v) { l.run.logPlot = parseChoice("--plot-scale", v, "linear", "log"); }, " S",
     "intensity axis of the plot: linear (default) or log"},
    {"stats", no_argument, [](CommandLine& l, const char*) { l.run.stats = true; }, "",
     "after the run, the kept fraction per resolution shell"},
    {"shells", required_argument,
     [](CommandLine& l, const char* v) { l.run.shellCount = parseCount("--shells", v, mostShells); }, " N",
     "number of resolution shells (default 6)"},
    {"scan", optional_argument,
     [](CommandLine& l, const char* v) {
       l.run.scan = true;
       l.run.scanWindows = parseWindowList(v);
     },
     "[=LIST]",
     "dry run: kept reflections per window (D for codes 1 and 4,\n"
     "DELTA for 2 and 3), e.g. --scan=0,0.01,0.02; no file is written"},
    {"max-reflections", required_argument,
     [](CommandLine& l, const char* v) { l.run.maxReflections = parseCount("--max-reflections", v, maxCapacity); },
     " N", "take up to N reflections, 1 to 10000000 (default 40000)"},
    {"strict", no_argument, [](CommandLine& l, const char*) { l.run.strict = true; }, "",
     "a warning about the input stops the run (exit 1, no file replaced)"},
    {"cif", required_argument, [](CommandLine& l, const char* v) { l.run.cifFile = v; }, " FILE",
     "write a reflection CIF: every reflection read, its F^2 and sigma(F^2)\n"
     "on the scale of NAMEI.hkl and its status (o kept, x removed, h beyond)"},
    {"sigma", required_argument,
     [](CommandLine& l, const char* v) { l.run.sigmasFromFile = expectWord("--sigma", v, "file"); }, "=file",
     "sigmas from the entry file instead of F/100 (codes 1 and 2; code 4\n"
     "always has its own), sigma(I) = 2 F sigma(F) in the intensity files"},
    {"layout", required_argument,
     [](CommandLine& l, const char* v) { l.run.shelxRecords = expectWord("--layout", v, "shelx"); }, "=shelx",
     "code 4's F.hkl and I.hkl in SHELX records (3I4,F8.2,F8.3,I4, HKLF 3\n"
     "and 4) with sigma(I) = 2 F sigma(F); codes 1 to 3 write them already:\n"
     "no change for them"},
    {"d-min", required_argument, [](CommandLine& l, const char* v) { l.run.limit.dMin = parseLimit("--d-min", v); },
     " X", "write no reflection with d below X angstrom (codes 1, 3 and 4)"},
    {"two-theta-max", required_argument,
     [](CommandLine& l, const char* v) { l.run.limit.twoThetaMax = parseLimit("--two-theta-max", v); }, " X",
     "write no reflection with 2theta above X degrees"},
    {"overlaps", required_argument,
     [](CommandLine& l, const char* v) {
       l.run.overlaps = parseChoice("--overlaps", v, "drop", "share") ? OverlapRule::Share : OverlapRule::Drop;
     },
     "=RULE",
     "reflections closer than the window: drop (default) removes them,\n"
     "share keeps each overlap group with the group's mean intensity"},
    {"help", no_argument, [](CommandLine& l, const char*) { l.help = true; }, "", ""},
    {"version", no_argument, [](CommandLine& l, const char*) { l.version = true; }, "", ""},
};

// getopt_long's table: each option returns its index in optionRules.
std::vector<option> longOptions() {
  std::vector<option> options;
  for (const OptionRule& rule : optionRules) {
    options.push_back({rule.name, rule.value, nullptr, static_cast<int>(options.size())});
  }
  options.push_back({nullptr, 0, nullptr, 0});
  return options;
}

}  // namespace

CommandLine parseCommandLine(int argc, char* argv[]) {
  const std::vector<option> options = longOptions();
  CommandLine line;
  GivenAnswers& given = line.run.answers;
  optind = 1;
  opterr = 0;  // our own message instead of getopt's
  for (;;) {
    const int id = getopt_long(argc, argv, "", options.data(), nullptr);
    if (id == -1) {
      break;
    }
    if (id < 0 || id >= static_cast<int>(std::size(optionRules))) {
      throw UsageError(std::string("unknown option or missing value: ") + argv[optind - 1]);
    }
    optionRules[id].apply(line, optarg);
  }
  if (optind < argc) {
    given.baseName = argv[optind++];
  }
  if (optind < argc) {
    throw UsageError(std::string("more than one base name: ") + argv[optind]);
  }
  if (given.inputCode) {
    checkFlavourOptions(line.run, flavourOf(*given.inputCode));
  }
  checkScanAlone(line.run);
  return line;
}

void checkFlavourOptions(const RunOptions& run, const Flavour& flavour) {
  if (run.answers.delta && !usesWidthWindow(flavour)) {
    throw UsageError("--delta is refused for codes 1 and 4: FULLPROF files carry their own window");
  }
  std::string code = " is refused for code ";
  code += std::to_string(flavour.code);
  code += " (";
  code += flavour.name;
  code += ")";
  if (run.limit.dMin > 0 && !flavour.entryHasCell) {
    std::string message = "--d-min";
    message += code;
    message += ": its files give no wavelength, so no d-spacing; use --two-theta-max";
    throw UsageError(message);
  }
  if (run.sigmasFromFile && !flavour.entryHasSigmas) {
    std::string message = "--sigma=file";
    message += code;
    message += ": its files carry no sigmas";
    throw UsageError(message);
  }
}

// "1 FULLPROF JFOU=2, 4 FULLPROF JFOU=4, 2 SIRPOW, 3 EXPO": the codes in the menu's order.
std::string codeList() {
  std::string list;
  for (const Flavour& flavour : flavoursInMenuOrder()) {
    list += (list.empty() ? "" : ", ") + std::to_string(flavour.code) + " " + std::string(flavour.name);
  }
  return list;
}

// The usage's line of one option: its name and value, then what it does
// from column 18, on the next line when the name is too long.
std::string optionLines(const OptionRule& rule) {
  constexpr std::size_t helpColumn = 17;
  std::string lines = "  --";
  lines += rule.name;
  lines += rule.shownValue;
  const std::string indent(helpColumn, ' ');
  if (lines.size() < helpColumn) {
    lines.append(helpColumn - lines.size(), ' ');
  } else {
    lines += '\n';
    lines += indent;
  }
  std::string help = rule.help;
  const std::size_t codes = help.find(codesPlaceholder);
  if (codes != std::string::npos) {
    help.replace(codes, codesPlaceholder.size(), codeList());
  }
  for (const char c : help) {
    lines += c;
    if (c == '\n') {
      lines += indent;
    }
  }
  lines += '\n';
  return lines;
}

std::string usageText() {
  std::string text =
      "usage: kestran [--code N] [--delta X] [--no-pause] [--report FILE] [--plot FILE] [BASENAME]\n"
      "               [--plot-scale linear|log] [--stats] [--shells N] [--max-reflections N] [--strict]\n"
      "               [--cif FILE] [--sigma=file] [--layout=shelx] [--d-min X] [--two-theta-max X]\n"
      "               [--overlaps=drop|share]\n"
      "       kestran --scan[=LIST] [--code N] [--delta X] [--shells N] [--max-reflections N]\n"
      "               [--d-min X] [--two-theta-max X] [--strict] [--overlaps=drop|share] [--no-pause]\n"
      "               [BASENAME]\n"
      "       kestran --help | --version\n";
  for (const OptionRule& rule : optionRules) {
    if (*rule.help != '\0') {
      text += optionLines(rule);
    }
  }
  text +=
      "  BASENAME       entry file name without extension\n"
      "Answers not given are asked for at the console.\n";
  return text;
}

}  // namespace kestran
