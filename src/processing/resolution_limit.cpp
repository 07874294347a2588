#include "processing/resolution_limit.hpp"

#include "processing/shells.hpp"
#include "reflections/cell_geometry.hpp"

namespace kestran {

bool hasLimit(const ResolutionLimit& limit) { return limit.dMin > 0 || limit.twoThetaMax > 0; }

bool isBeyondLimit(const ReflectionTable& table, int row) {
  const ResolutionLimit& limit = table.limit;
  if (!hasLimit(limit) || table.status[row] == RowStatus::ZeroIndices) {
    return false;
  }
  if (!hasRealAngle(table.sinSquaredTheta[row])) {
    return true;
  }
  if (limit.twoThetaMax > 0 && table.twoTheta[row] > limit.twoThetaMax) {
    return true;
  }
  // The d-spacing as the report and the CIF give it.
  return limit.dMin > 0 && dSpacing(table, row) < limit.dMin;
}

}  // namespace kestran
