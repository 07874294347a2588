#pragma once
// The writers of the three reflection files: the amplitude file, the
// intensity file on the 5000 scale and the wide intensity file, in the
// flavour's layouts, or with `shelxRecords` (--layout=shelx) SHELX's records
// for every code: HKLF 3's 3I4,F8.2,F8.3,I4 for the amplitudes and HKLF 4's
// 3I4,2F8.2,I4 for the intensities, each with a 0 0 0 end record, every
// value apart from its neighbour (one that would fill its whole field stops
// the run); the wide file keeps the flavour's layout. Only kept rows are
// written (isKept: shared ones in an overlap group too); the values come from
// writtenValues, the writers only format them.

#include <ostream>

#include "output/written_values.hpp"
#include "reflections/reflection_table.hpp"

namespace kestran {

struct ReflectionStreams {
  std::ostream& amplitudes;
  std::ostream& intensities;
  std::ostream& wideIntensities;
};

struct WrittenSummary {
  int written = 0;      // rows written to each file
  int beyondRange = 0;  // rows whose intensity lies beyond single precision, written as NaN or Infinity
  OutputScale scale;    // the scale the files were written on, for the CIF beside them
};

WrittenSummary writeReflectionFiles(const ReflectionTable& table, const ReflectionStreams& files,
                                    bool shelxRecords = false);

}  // namespace kestran
