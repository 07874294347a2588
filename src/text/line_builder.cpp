#include "text/line_builder.hpp"

#include <stdexcept>

namespace kestran {

void failOnLineBound() { throw std::length_error("a line outgrew the bound it was built in"); }

}  // namespace kestran
