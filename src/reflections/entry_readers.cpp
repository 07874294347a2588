#include "reflections/entry_readers.hpp"

#include "reflections/cell_geometry.hpp"
#include "reflections/flavours.hpp"

namespace kestran {

int readEntryFile(ReflectionTable& table, LineReader& entry, ReadEvents& events) {
  table.resizeRows(0);
  flavourOf(table).read(table, entry, events);
  int unreal = 0;
  for (int index = 0; index < table.rows; ++index) {
    unreal += hasRealAngle(table.sinSquaredTheta[index]) ? 0 : 1;
  }
  if (unreal > 0) {
    events.rowsWithoutRealAngle(entry.fileName(), unreal);
  }
  return table.rows;
}

}  // namespace kestran
