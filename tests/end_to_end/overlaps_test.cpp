// --overlaps=share on files worked by hand: a chain of three and a pair in
// one file, with the fixed window D (JFOU=4, whose own sigmas show the sigma
// rule) and with DELTA x width (SIRPOW, whose multiplicities weight the mean);
// a pair of multiplicities 2 and 4 with --space-group, in every flavour.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "../test_support.hpp"
#include "run_program.hpp"

namespace kestran::testing {
namespace {

struct ShareRun {
  ProcessResult result;
  std::string famp, fint;
};

ShareRun runShare(const std::string& entryName, const std::string& contents, const std::vector<std::string>& code) {
  // `code` holds every option before the base name.
  TempDir dir;
  writeFile(dir.file(entryName), contents);
  std::vector<std::string> arguments = code;
  arguments.insert(arguments.end(), {"--no-pause", "--overlaps=share", "x"});
  ShareRun run;
  run.result = runKestran(dir.path().string(), "", arguments);
  run.famp = readFile(dir.file("xF.hkl"));
  run.fint = readFile(dir.file("xI.hkl"));
  return run;
}

// a, b, c = 10, 10.005, 10.01: 2theta of 0 1 0 and 1 0 0 8.8313 and 8.8357
// (a pair at D = 0.02), of 0 0 3, 0 3 0, 3 0 0 26.6953, 26.7089 and
// 26.7225 (a chain: 0.0136 apart each, the ends 0.0272), 1 1 0 alone.
// Chain: F 30, 40, 50, sigma 1: mean I (900 + 1600 + 2500) / 3 = 1666.667,
// F 40.8248; sigma(I)^2 = (60^2 + 80^2 + 100^2) / 9 + (766.667^2 + 66.667^2
// + 833.333^2) / 3 = 2222.2 + 428888.9, sigma(F) = 656.59 / (2 x 40.8248)
// = 8.0416. Pair: F 10, 20, sigma 0.5: I (100 + 400) / 2 = 250, F 15.8114;
// sigma(I)^2 = (10^2 + 20^2) / 4 + 150^2 = 22625, sigma(F) = 150.42 /
// (2 x 15.8114) = 4.7566.
TEST(SharedOverlaps, FixedWindowChainAndPairWithOwnSigmas) {
  const ShareRun run = runShare("x.dat",
                                "10 10.005 10.01 90 90 90 1.5406\n"
                                "6 0.02\n"
                                "   0   0   3   30.0000    1.0000    0.0500\n"
                                "   0   3   0   40.0000    1.0000    0.0500\n"
                                "   3   0   0   50.0000    1.0000    0.0500\n"
                                "   1   0   0   20.0000    0.5000    0.0500\n"
                                "   0   1   0   10.0000    0.5000    0.0500\n"
                                "   1   1   0   60.0000    1.0000    0.0500\n",
                                {"--code", "4"});
  ASSERT_EQ(run.result.status, 0) << run.result.errors;
  EXPECT_EQ(run.famp,
            "   0   1   0   15.8114    4.7566    0.0500\n"
            "   1   0   0   15.8114    4.7566    0.0500\n"
            "   1   1   0   60.0000    1.0000    0.0500\n"
            "   0   0   3   40.8248    8.0416    0.0500\n"
            "   0   3   0   40.8248    8.0416    0.0500\n"
            "   3   0   0   40.8248    8.0416    0.0500\n");
  EXPECT_NE(run.result.console.find("\nkept      6\nremoved   0\nshared    5 in 2 groups\n"), std::string::npos)
      << run.result.console;
}

// SIRPOW rows in file order, DELTA 0.5 x FWHM 0.1 = 0.05: 20.00, 20.03,
// 20.06 a chain (the ends 0.06 apart), 30.00 and 30.04 a pair, 40.00 alone.
// Chain, multiplicities 2, 4, 6: I (2 x 900 + 4 x 1600 + 6 x 2500) / 12 =
// 1933.33; pair, 1 and 3: (100 + 3 x 400) / 4 = 325; alone 3600. On the
// 5000 scale: 1933.33 x 5000 / 3600 = 2685.19, 325 x 5000 / 3600 = 451.39.
TEST(SharedOverlaps, WidthWindowChainAndPairWeightedByMultiplicity) {
  const ShareRun run = runShare("x.hkl",
                                "SIRPOW\n"
                                "   h   k   l mult  d  2theta  fwhm  intensity  sigma\n"
                                "1 0 0 2 0 20.00 0.10  900 10\n"
                                "0 1 0 4 0 20.03 0.10 1600 10\n"
                                "0 0 1 6 0 20.06 0.10 2500 10\n"
                                "1 1 0 1 0 30.00 0.10  100 10\n"
                                "1 0 1 3 0 30.04 0.10  400 10\n"
                                "1 1 1 2 0 40.00 0.10 3600 10\n",
                                {"--code", "2", "--delta", "0.5"});
  ASSERT_EQ(run.result.status, 0) << run.result.errors;
  EXPECT_EQ(run.fint,
            "   1   0   0 2685.19  26.852   1\n"
            "   0   1   0 2685.19  26.852   1\n"
            "   0   0   1 2685.19  26.852   1\n"
            "   1   1   0  451.39   4.514   1\n"
            "   1   0   1  451.39   4.514   1\n"
            "   1   1   1 5000.00  50.000   1\n"
            "   0   0   0    0.00   0.000   0\n");
}

// Cell 10, 10, 10.005 (P 1 2/m 1, beta 90): 1 0 1 (on the mirror, m 2) and
// 1 1 0 (general, m 4) lie 0.0031 degrees 2theta apart, a pair at D = 0.02
// (and at DELTA 0.5 x FWHM 0.1); 2 0 0 (m 2) alone at 17.7. F 10 and 20:
// each member gets (2 x 10^2 + 4 x 20^2) / 6 = 300, F 17.3205, not the
// plain mean 250 (F 15.8114). SIRPOW gives intensities (F^2) and
// multiplicities of 1, which the space group's replace (with a warning).
TEST(SharedOverlaps, SpaceGroupWeightsAPairByMultiplicityInEveryFlavour) {
  struct Flavoured {
    const char* entryName;
    std::string contents;
    std::vector<std::string> options;
    int width, decimals;  // of the amplitude field of NAMEF.hkl
  };
  const std::string cell = "10 10 10.005 90 90 90 1.5406\n";
  const Flavoured flavours[] = {
      {"x.dat",
       cell + "3 0.02\n   1   0   1   10.00   0.100   1\n   1   1   0   20.00   0.200   1\n"
              "   2   0   0   30.00   0.300   1\n",
       {"--code", "1"},
       8,
       2},
      {"x.dat",
       cell + "3 0.02\n   1   0   1   10.0000    0.1000    0.0500\n   1   1   0   20.0000    0.2000    0.0500\n"
              "   2   0   0   30.0000    0.3000    0.0500\n",
       {"--code", "4"},
       10,
       4},
      {"x.hkl",
       "EXPO\n" + cell + "1 0 1 0.1 10\n1 1 0 0.1 20\n2 0 0 0.1 30\n",
       {"--code", "3", "--delta", "0.5"},
       8,
       2},
      {"x.hkl",
       "SIRPOW\nrun\n1 0 1 1 0 12.50 0.1 100 1\n1 1 0 1 0 12.503 0.1 400 1\n2 0 0 1 0 17.7 0.1 900 1\n",
       {"--code", "2", "--delta", "0.5"},
       8,
       2},
  };
  const double shared = std::sqrt((2 * 10.0 * 10.0 + 4 * 20.0 * 20.0) / 6);
  for (const Flavoured& flavour : flavours) {
    std::vector<std::string> options = flavour.options;
    options.insert(options.end(), {"--space-group", "P 2/m"});
    const ShareRun run = runShare(flavour.entryName, flavour.contents, options);
    ASSERT_EQ(run.result.status, 0) << flavour.options[1] << run.result.errors;
    char amplitude[32];
    std::snprintf(amplitude, sizeof amplitude, "%*.*f", flavour.width, flavour.decimals, shared);
    for (const char* indices : {"   1   0   1", "   1   1   0"}) {
      EXPECT_NE(run.famp.find(indices + std::string(amplitude)), std::string::npos)
          << "code " << flavour.options[1] << ", " << indices << ":\n"
          << run.famp;
    }
    EXPECT_NE(run.result.console.find("shared    2 in 1 groups"), std::string::npos) << run.result.console;
  }
}

}  // namespace
}  // namespace kestran::testing
