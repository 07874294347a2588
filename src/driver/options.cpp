#include "driver/options.hpp"

#include <getopt.h>

#include <string_view>
#include <vector>

#include "reflections/input_code.hpp"
#include "text/number_reading.hpp"

namespace kestran {

namespace {

enum OptionId {
  optCode = 'c',
  optDelta = 'd',
  optNoPause = 'n',
  optReport = 'r',
  optPlot = 'p',
  optHelp = 'h',
  optVersion = 'V',
  optScan = 's',
  optStats = 't',
  optShells = 'S',
  optPlotScale = 'g',
  optMaxReflections = 'm'
};

constexpr int mostShells = 100;

int parseCode(std::string_view text) {
  std::int32_t code = 0;
  if (!parseInteger(text, code) || code < 1 || code > 4) {
    throw UsageError("--code must be 1, 2, 3 or 4, not '" + std::string(text) + "'");
  }
  return code;
}

float parseDelta(std::string_view text) {
  float delta = 0;
  if (!parseReal(text, delta)) {
    throw UsageError("--delta must be a number, not '" + std::string(text) + "'");
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

}  // namespace

CommandLine parseCommandLine(int argc, char* argv[]) {
  static const option longOptions[] = {
      {"code", required_argument, nullptr, optCode},
      {"delta", required_argument, nullptr, optDelta},
      {"no-pause", no_argument, nullptr, optNoPause},
      {"report", required_argument, nullptr, optReport},
      {"plot", required_argument, nullptr, optPlot},
      {"help", no_argument, nullptr, optHelp},
      {"version", no_argument, nullptr, optVersion},
      {"scan", optional_argument, nullptr, optScan},
      {"stats", no_argument, nullptr, optStats},
      {"shells", required_argument, nullptr, optShells},
      {"plot-scale", required_argument, nullptr, optPlotScale},
      {"max-reflections", required_argument, nullptr, optMaxReflections},
      {nullptr, 0, nullptr, 0},
  };
  CommandLine line;
  GivenAnswers& given = line.run.answers;
  optind = 1;
  opterr = 0;  // our own message instead of getopt's
  for (;;) {
    const int id = getopt_long(argc, argv, "", longOptions, nullptr);
    if (id == -1) {
      break;
    }
    switch (id) {
      case optCode:
        given.inputCode = parseCode(optarg);
        break;
      case optDelta:
        given.delta = parseDelta(optarg);
        break;
      case optNoPause:
        given.pause = false;
        break;
      case optReport:
        line.run.reportFile = optarg;
        break;
      case optPlot:
        line.run.plotFile = optarg;
        break;
      case optMaxReflections:
        line.run.maxReflections = parseMaxReflections(optarg);
        break;
      case optHelp:
        line.help = true;
        break;
      case optVersion:
        line.version = true;
        break;
      case optScan:
        line.run.scan = true;
        line.run.scanWindows = parseWindowList(optarg);
        break;
      case optStats:
        line.run.stats = true;
        break;
      case optShells:
        line.run.shellCount = parseShellCount(optarg);
        break;
      case optPlotScale:
        line.run.logPlot = parseLogScale(optarg);
        break;
      default:
        throw UsageError(std::string("unknown option or missing value: ") + argv[optind - 1]);
    }
  }
  if (optind < argc) {
    given.baseName = argv[optind++];
  }
  if (optind < argc) {
    throw UsageError(std::string("more than one base name: ") + argv[optind]);
  }
  if (given.inputCode) {
    checkDeltaAllowed(given, *given.inputCode);
  }
  checkScanAlone(line.run);
  return line;
}

void checkDeltaAllowed(const GivenAnswers& given, int inputCode) {
  if (given.delta && isFullprof(inputCode)) {
    throw UsageError("--delta is refused for codes 1 and 4: FULLPROF files carry their own window");
  }
}

const char* usageText() {
  return "usage: kestran [--code N] [--delta X] [--no-pause] [--report FILE] [--plot FILE] [BASENAME]\n"
         "               [--plot-scale linear|log] [--stats] [--shells N] [--max-reflections N]\n"
         "       kestran --scan[=LIST] [--code N] [--delta X] [--shells N] [--max-reflections N]\n"
         "               [--no-pause] [BASENAME]\n"
         "       kestran --help | --version\n"
         "  --code N       input code: 1 FULLPROF JFOU=2, 4 FULLPROF JFOU=4, 2 SIRPOW, 3 EXPO\n"
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
         "  BASENAME       entry file name without extension\n"
         "Answers not given are asked for at the console.\n";
}

}  // namespace kestran
