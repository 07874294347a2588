#include "reflections/flavours.hpp"

#include <array>
#include <stdexcept>
#include <string>

#include "reflections/entry_readers.hpp"

namespace kestran {

namespace {

// The menu's lines keep their classic padding and punctuation: the last one
// ends the question.
constexpr std::array<Flavour, 4> flavours{{
    {1, "FULLPROF JFOU=2", "  FULLPROF JFOU=2 (1),", "  You have chosen FULLPROF data, should be .dat", ".dat", 0,
     readFullprofJfou2, true, WindowKind::FixedFromFile, WindowAsked::Never, true, false, true, false,
     OutputLayouts::Shelx, ShellAxis::DSpacing},
    {4, "FULLPROF JFOU=4", "  FULLPROF JFOU=4 (4),", "  You have chosen FULLPROF data, should be .dat", ".dat", 0,
     readFullprofJfou4, true, WindowKind::FixedFromFile, WindowAsked::Never, true, true, true, false,
     OutputLayouts::Jfou4, ShellAxis::DSpacing},
    {2, "SIRPOW", "  SIRPOW          (2)", "  You have chosen SIRPOW   data, should be .hkl", ".hkl", 2, readSirpow,
     false, WindowKind::DeltaTimesWidth, WindowAsked::BeforeReading, true, false, false, true, OutputLayouts::Shelx,
     ShellAxis::TwoTheta},
    {3, "EXPO", "  or EXPO         (3) data ? ", "  You have chosen EXPO     data, should be .hkl", ".hkl", 1, readExpo,
     true, WindowKind::DeltaTimesWidth, WindowAsked::AfterOrdering, false, false, true, false, OutputLayouts::Shelx,
     ShellAxis::DSpacing},
}};

}  // namespace

std::span<const Flavour> flavoursInMenuOrder() { return flavours; }

const Flavour* findFlavour(int code) {
  for (const Flavour& flavour : flavours) {
    if (flavour.code == code) {
      return &flavour;
    }
  }
  return nullptr;
}

const Flavour& flavourOf(int code) {
  const Flavour* flavour = findFlavour(code);
  if (flavour == nullptr) {
    throw std::logic_error("no flavour has the input code " + std::to_string(code));
  }
  return *flavour;
}

}  // namespace kestran
