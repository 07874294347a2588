// The CIF's sigma(F^2) against the intensity file's sigma, rule by rule:
// the CIF always gives the propagated 2 |F| sigma(F); NAMEI.hkl holds the
// classic sigma(I) = I/100 with sigmas of F/100 (half the propagated one,
// which is I/50), and the propagated one itself with the entry file's
// sigmas. The CIF says which, in _reflns_special_details.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "../test_support.hpp"
#include "run_program.hpp"

namespace kestran::testing {
namespace {

namespace fs = std::filesystem;

struct SigmaRuleCase {
  const char* entry;  // relative to examples/
  std::vector<std::string> options;
  double cifOverFile;  // the CIF's sigma over the intensity file's
  const char* details;
};

const SigmaRuleCase cases[] = {
    {"quartzite.dat", {"--code", "1"}, 2.0, "holds the classic sigma(I) = I/100 instead: half of this\n"},
    {"quartzite.hkl", {"--code", "3", "--delta", "1"}, 2.0, "holds the classic sigma(I) = I/100 instead"},
    {"quartzite.dat", {"--code", "1", "--sigma=file"}, 1.0, "holds this same sigma.\n"},
    {"quartzite4.dat", {"--code", "4", "--layout=shelx"}, 1.0, "holds this same sigma.\n"},
};

// h, k, l and the sigma of every kept row of the CIF, in order.
std::vector<std::string> keptCifRows(const std::string& cif, std::vector<double>& sigmas) {
  std::vector<std::string> indices;
  std::istringstream lines(cif.substr(cif.find("_refln_include_status\n")));
  std::string line;
  std::getline(lines, line);
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string h, k, l, d, twoTheta, value, sigma, status;
    fields >> h >> k >> l >> d >> twoTheta >> value >> sigma >> status;
    if (status == "o") {
      indices.push_back(h + " " + k + " " + l);
      sigmas.push_back(std::stod(sigma));
    }
  }
  return indices;
}

TEST(CifSigma, TwiceTheClassicSigmaOfTheIntensityFileOrTheSame) {
  for (const SigmaRuleCase& c : cases) {
    SCOPED_TRACE(std::string(c.entry) + " " + c.options.back());
    TempDir dir;
    fs::copy_file(examplesDir / c.entry, dir.path() / c.entry);
    const std::string base = fs::path(c.entry).stem().string();
    std::vector<std::string> arguments = c.options;
    arguments.insert(arguments.end(), {"--cif", "run.cif", base});
    const ProcessResult run = runKestran(dir.path().string(), "", arguments);
    ASSERT_EQ(run.status, 0) << run.errors;
    const std::string cif = readFile(dir.file("run.cif"));
    EXPECT_NE(cif.find(base + "I.hkl " + c.details), std::string::npos) << cif;
    std::vector<double> cifSigmas;
    const std::vector<std::string> indices = keptCifRows(cif, cifSigmas);
    std::istringstream records(readFile(dir.file(base + "I.hkl")));
    std::size_t row = 0;
    for (std::string record; std::getline(records, record) && record.substr(0, 12) != "   0   0   0"; ++row) {
      ASSERT_LT(row, indices.size());
      std::istringstream fields(record);
      std::string h, k, l;
      double value = 0, sigma = 0;
      fields >> h >> k >> l >> value >> sigma;
      EXPECT_EQ(h + " " + k + " " + l, indices[row]);
      const double halfStep = record.size() > 24 && record[24] == '.' ? 0.0005 : 0.005;  // F8.3 or F8.2
      EXPECT_NEAR(cifSigmas[row] / c.cifOverFile, sigma, halfStep + 1e-6 * cifSigmas[row]) << record;
    }
    EXPECT_EQ(row, indices.size());
  }
}

}  // namespace
}  // namespace kestran::testing
