#pragma once
// The entry-file flavours, one row each in one table: everything that
// differs from one flavour to another is looked up here by the input code
// typed at the menu, and every list of codes in the menu, the messages and
// the usage is made from it, so that a new flavour is one more row and its
// reader.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kestran {

struct ReflectionTable;
class LineReader;
class ReadEvents;

// How the window of a pair of neighbours is found: D, fixed for the run and
// read from the entry file (degrees 2theta), or DELTA, a factor the user
// types, times the peak width of the lower row of the pair.
enum class WindowKind : std::uint8_t { FixedFromFile, DeltaTimesWidth };

// When DELTA is asked for: never (FULLPROF), before the entry file is read
// (SIRPOW), or once the rows are ordered (EXPO).
enum class WindowAsked : std::uint8_t { Never, BeforeReading, AfterOrdering };

// The records of the three output files. Shelx: the amplitude and intensity
// files in 3I4,F8.2,F8.3,I4, each ending with a 0 0 0 record, the wide file
// in 3I4,2F12.2,I4. Jfou4: 3I4,3F10.4 and 3I4,3F14.3, carrying the third
// value of the entry file, without an end record.
enum class OutputLayouts : std::uint8_t { Shelx, Jfou4 };

// The axis along which resolution shells are cut: d-spacing where the
// entry file gives a wavelength, 2theta where it gives none (SIRPOW).
enum class ShellAxis : std::uint8_t { DSpacing, TwoTheta };

// Fills the table from the entry file of its flavour.
using EntryReader = void (*)(ReflectionTable& table, LineReader& entry, ReadEvents& events);

struct Flavour {
  int code;
  std::string_view name;        // in the scan's heading and the plot's title
  std::string_view family;      // the program that writes its files, as messages name them
  std::string_view menuLine;    // its line of the menu, as shown
  std::string_view chosenLine;  // "You have chosen ..." after the code
  std::string_view entrySuffix;
  int headerLines;  // lines before the cell line, or before the reflections when there is none
  EntryReader read;
  bool ordered;  // rows ordered by the angle computed from the cell, or kept in file order
  WindowKind window;
  WindowAsked windowAsked;
  bool entryHasSigmas;        // the entry file carries a standard deviation per row
  bool writesOwnSigmas;       // the outputs write those, not one hundredth of the value
  bool entryHasCell;          // the entry file gives the cell and the wavelength, so each row its d-spacing
  bool entryHasMultiplicity;  // the entry file gives each row's multiplicity (weights of an overlap group's mean)
  OutputLayouts layouts;
  ShellAxis shellAxis;
  // Chosen by an option, not at the menu (--columns): no menu line, no code
  // to type; its entry file is named in full, with whatever extension it
  // has, and the outputs take that name less its extension.
  bool optionOnly = false;
  // Ordered by the 2theta the list gives, not by the sin^2(theta) of a cell.
  bool orderedByAngleRead = false;
};

// DELTA times the peak width, rather than a fixed D.
inline bool usesWidthWindow(const Flavour& flavour) { return flavour.window == WindowKind::DeltaTimesWidth; }

// Every flavour of the menu, in its order (1, 4, 2, 3).
std::span<const Flavour> flavoursInMenuOrder();

// The flavour of a described column list (--columns), as its row reads;
// the run's own copy is set by what the list holds (describeListFlavour).
const Flavour& columnListFlavour();

// The flavour of a code; null when no flavour of the menu has that code.
const Flavour* findFlavour(int code);

// The flavour of a code known to be valid.
const Flavour& flavourOf(int code);

// Picks flavours for a list of their codes.
using FlavourTest = bool (*)(const Flavour& flavour);
inline bool anyFlavour(const Flavour&) { return true; }

// The codes of the flavours `which` picks, lowest first, as a message
// lists them: "1, 3 and 4", or with `lastJoin` " or ", "1, 2, 3 or 4".
std::string codeList(FlavourTest which, std::string_view lastJoin = " and ");

// The same after "code" or "codes": "code 4", "codes 1 and 2".
std::string namedCodes(FlavourTest which);

// The families of the flavours `which` picks, each once: "FULLPROF".
std::string familyList(FlavourTest which);

// The lowest and the highest code.
int lowestCode();
int highestCode();

}  // namespace kestran
