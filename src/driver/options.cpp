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

int parseMaxReflections(std::string_view text) {
  std::int32_t count = 0;
  if (!parseInteger(text, count) || count < 1 || count > maxCapacity) {
    throw UsageError("--max-reflections must be a whole number from 1 to " + std::to_string(maxCapacity) + ", not '" +
                     std::string(text) + "'");
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

int parseShellCount(std::string_view text) {
  std::int32_t count = 0;
  if (!parseInteger(text, count) || count < 1 || count > mostShells) {
    throw UsageError("--shells must be a whole number from 1 to 100, not '" + std::string(text) + "'");
  }
  return count;
}

OverlapRule parseOverlapRule(std::string_view text) {
  if (text != "drop" && text != "share") {
    throw UsageError("--overlaps must be drop or share, not '" + std::string(text) + "'");
  }
  return text == "share" ? OverlapRule::Share : OverlapRule::Drop;
}

bool parseLogScale(std::string_view text) {
  if (text != "log" && text != "linear") {
    throw UsageError("--plot-scale must be linear or log, not '" + std::string(text) + "'");
  }
  return text == "log";
}

// A scan writes no file, so it takes no report or plot.
void checkScanAlone(const RunOptions& run) {
  if (run.scan && (!run.reportFile.empty() || !run.plotFile.empty())) {
    throw UsageError("--scan writes no file: --report and --plot cannot go with it");
  }
}

// Each option: its name, whether it takes a value, and what it sets.
struct OptionRule {
  const char* name;
  int value;  // no_argument, required_argument or optional_argument
  void (*apply)(CommandLine& line, const char* value);
};

const OptionRule optionRules[] = {
    {"code", required_argument, [](CommandLine& l, const char* v) { l.run.answers.inputCode = parseCode(v); }},
    {"delta", required_argument, [](CommandLine& l, const char* v) { l.run.answers.delta = parseDelta(v); }},
    {"no-pause", no_argument, [](CommandLine& l, const char*) { l.run.answers.pause = false; }},
    {"report", required_argument, [](CommandLine& l, const char* v) { l.run.reportFile = v; }},
    {"plot", required_argument, [](CommandLine& l, const char* v) { l.run.plotFile = v; }},
    {"help", no_argument, [](CommandLine& l, const char*) { l.help = true; }},
    {"version", no_argument, [](CommandLine& l, const char*) { l.version = true; }},
    {"scan", optional_argument,
     [](CommandLine& l, const char* v) {
       l.run.scan = true;
       l.run.scanWindows = parseWindowList(v);
     }},
    {"stats", no_argument, [](CommandLine& l, const char*) { l.run.stats = true; }},
    {"shells", required_argument, [](CommandLine& l, const char* v) { l.run.shellCount = parseShellCount(v); }},
    {"plot-scale", required_argument, [](CommandLine& l, const char* v) { l.run.logPlot = parseLogScale(v); }},
    {"max-reflections", required_argument,
     [](CommandLine& l, const char* v) { l.run.maxReflections = parseMaxReflections(v); }},
    {"strict", no_argument, [](CommandLine& l, const char*) { l.run.strict = true; }},
    {"overlaps", required_argument, [](CommandLine& l, const char* v) { l.run.overlaps = parseOverlapRule(v); }},
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
    checkDeltaAllowed(given, flavourOf(*given.inputCode));
  }
  checkScanAlone(line.run);
  return line;
}

void checkDeltaAllowed(const GivenAnswers& given, const Flavour& flavour) {
  if (given.delta && !usesWidthWindow(flavour)) {
    throw UsageError("--delta is refused for codes 1 and 4: FULLPROF files carry their own window");
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

std::string usageText() {
  return "usage: kestran [--code N] [--delta X] [--no-pause] [--report FILE] [--plot FILE] [BASENAME]\n"
         "               [--plot-scale linear|log] [--stats] [--shells N] [--max-reflections N] [--strict]\n"
         "               [--overlaps=drop|share]\n"
         "       kestran --scan[=LIST] [--code N] [--delta X] [--shells N] [--max-reflections N]\n"
         "               [--strict] [--overlaps=drop|share] [--no-pause] [BASENAME]\n"
         "       kestran --help | --version\n"
         "  --code N       input code: " +
         codeList() +
         "\n"
         "  --delta X      DELTA for codes 2 and 3 (window = DELTA x peak width)\n"
         "  --no-pause     end without the final pause\n"
         "  --report FILE  write a tab-separated elimination report\n"
         "  --plot FILE    write an SVG stick diagram of the reflections\n"
         "  --plot-scale S intensity axis of the plot: linear (default) or log\n"
         "  --stats        after the run, the kept fraction per resolution shell\n"
         "  --shells N     number of resolution shells (default 6)\n"
         "  --scan[=LIST]  dry run: kept reflections per window (D for codes 1 and 4,\n"
         "                 DELTA for 2 and 3), e.g. --scan=0,0.01,0.02; no file is written\n"
         "  --max-reflections N\n"
         "                 take up to N reflections, 1 to 10000000 (default 40000)\n"
         "  --strict       a warning about the input stops the run (exit 1, no file replaced)\n"
         "  --overlaps=R   reflections closer than the window: drop (default) removes them,\n"
         "                 share keeps each overlap group with the group's mean intensity\n"
         "  BASENAME       entry file name without extension\n"
         "Answers not given are asked for at the console.\n";
}

}  // namespace kestran
