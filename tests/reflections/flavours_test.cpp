#include "reflections/flavours.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace kestran {
namespace {

struct FlavourFacts {
  int code;
  const char* suffix;
  bool ordered;
  bool widthWindow;
  WindowAsked asked;
  bool ownSigmas;
  bool hasCell;
  OutputLayouts layouts;
  ShellAxis axis;
};

// What each input code selects, as the menu, the files and the stages use it.
TEST(Flavours, EachCodeSelectsItsFacts) {
  const FlavourFacts expected[] = {
      {1, ".dat", true, false, WindowAsked::Never, false, true, OutputLayouts::Shelx, ShellAxis::DSpacing},
      {4, ".dat", true, false, WindowAsked::Never, true, true, OutputLayouts::Jfou4, ShellAxis::DSpacing},
      {2, ".hkl", false, true, WindowAsked::BeforeReading, false, false, OutputLayouts::Shelx, ShellAxis::TwoTheta},
      {3, ".hkl", true, true, WindowAsked::AfterOrdering, false, true, OutputLayouts::Shelx, ShellAxis::DSpacing},
  };
  std::vector<int> menuOrder;
  for (const Flavour& flavour : flavoursInMenuOrder()) menuOrder.push_back(flavour.code);
  EXPECT_EQ(menuOrder, (std::vector<int>{1, 4, 2, 3}));
  for (const FlavourFacts& facts : expected) {
    SCOPED_TRACE(facts.code);
    const Flavour* flavour = findFlavour(facts.code);
    ASSERT_NE(flavour, nullptr);
    EXPECT_EQ(flavour->entrySuffix, facts.suffix);
    EXPECT_EQ(flavour->ordered, facts.ordered);
    EXPECT_EQ(usesWidthWindow(*flavour), facts.widthWindow);
    EXPECT_EQ(flavour->windowAsked, facts.asked);
    EXPECT_EQ(flavour->writesOwnSigmas, facts.ownSigmas);
    EXPECT_EQ(flavour->entryHasCell, facts.hasCell);
    EXPECT_EQ(flavour->layouts, facts.layouts);
    EXPECT_EQ(flavour->shellAxis, facts.axis);
  }
  for (const int invalid : {0, 5, 7, -1}) {
    EXPECT_EQ(findFlavour(invalid), nullptr) << invalid;
  }
}

// The lists of codes the messages and the usage are made of: lowest code
// first, "code" for one and "codes" for more, each family once.
TEST(Flavours, ListsOfCodesAreMadeFromTheTable) {
  struct Listed {
    FlavourTest which;
    const char* codes;
    const char* named;
    const char* families;
  };
  const Listed lists[] = {
      {anyFlavour, "1, 2, 3 and 4", "codes 1, 2, 3 and 4", "FULLPROF, SIRPOW and EXPO"},
      {[](const Flavour& f) { return !usesWidthWindow(f); }, "1 and 4", "codes 1 and 4", "FULLPROF"},
      {[](const Flavour& f) { return f.entryHasCell; }, "1, 3 and 4", "codes 1, 3 and 4", "FULLPROF and EXPO"},
      {[](const Flavour& f) { return f.writesOwnSigmas; }, "4", "code 4", "FULLPROF"},
      {[](const Flavour& f) { return f.code > 4; }, "", "codes ", ""},
  };
  for (const Listed& list : lists) {
    SCOPED_TRACE(list.codes);
    EXPECT_EQ(codeList(list.which), list.codes);
    EXPECT_EQ(namedCodes(list.which), list.named);
    EXPECT_EQ(familyList(list.which), list.families);
  }
  EXPECT_EQ(codeList(anyFlavour, " or "), "1, 2, 3 or 4");
  EXPECT_EQ(lowestCode(), 1);
  EXPECT_EQ(highestCode(), 4);
}

}  // namespace
}  // namespace kestran
