#pragma once
// The console dialogue's own lines: the title and menu, the prompts for the
// code, the base name and DELTA, and the final pause. A prompt ends without
// a line end, so that the answer is typed on its line.

#include <ostream>
#include <string>
#include <string_view>

#include "driver/run_options.hpp"
#include "reflections/flavours.hpp"
#include "text/line_reader.hpp"

namespace kestran {

// Two empty lines, then one line per flavour in the menu's order.
void showMenu(std::ostream& console);

// The input code, given or asked for; not checked.
int askInputCode(LineReader& consoleIn, std::ostream& console, const RunOptions& options);

// The flavour of the code, or a failure naming the codes there are.
const Flavour& checkedFlavour(int inputCode);

// The flavour chosen; for a column list, with its columns.
void showChosenData(std::ostream& console, const Flavour& flavour, std::string_view columns = {});

// The base name, given or asked for; for a column list (a file named in
// full) the entry file's name.
std::string askBaseName(LineReader& consoleIn, std::ostream& console, const GivenAnswers& given,
                        const Flavour& flavour);

// The base name as typed: the whole answer line less its trailing blanks.
std::string measureBaseName(std::string_view answer);

// DELTA, given or asked for. DELTA typed with a decimal comma or below 0
// stops the run; at a terminal it is asked again.
float askDelta(LineReader& consoleIn, std::ostream& console, const RunOptions& options);

// The files are complete when the pause is shown, so any answer, or none at
// all, ends the run normally.
void finalPause(LineReader& consoleIn, std::ostream& console, const GivenAnswers& given);

}  // namespace kestran
