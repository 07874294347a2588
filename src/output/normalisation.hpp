#pragma once
// The last stage: count message, amplitude cap, the amplitude file, squaring,
// rescaling to a strongest intensity of 5000, the two intensity files and the
// console summary. Rows carrying the removed marker are skipped throughout.

#include <ostream>

#include "reflections/reflection_table.hpp"

namespace kestran {

void writeOutputFiles(ReflectionTable& table, std::ostream& console, std::ostream& famp, std::ostream& fint,
                      std::ostream& intensity);

}  // namespace kestran
