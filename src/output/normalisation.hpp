#pragma once
// The last stage: count message, amplitude cap, the amplitude file, squaring,
// rescaling to a strongest intensity of 5000, the two intensity files and the
// console summary. Only rows whose status is Kept are written. The table is
// not changed: each written value is computed from the amplitude as read.

#include <ostream>

#include "reflections/reflection_table.hpp"

namespace kestran {

void writeOutputFiles(const ReflectionTable& table, std::ostream& console, std::ostream& famp, std::ostream& fint,
                      std::ostream& intensity);

}  // namespace kestran
