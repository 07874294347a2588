#pragma once
// Overlap groups: the rows the window would remove, kept instead with the
// mean intensity of their group (--overlaps=share). The window defines the
// groups as it defines the pairs of the elimination: a chain of neighbours,
// each closer than the window to the next, is one group. Its members are the
// rows of the chain that stand in no status of their own (see
// staysOutOfGroups); each member is written with the group's mean of F^2,
// weighted by the multiplicity where the flavour's file gives one.

#include <cstdint>
#include <vector>

#include "reflections/reflection_table.hpp"

namespace kestran {

// Rows that are never members of a group and are not counted in one, though
// a chain of close neighbours may run through them: removed in the input,
// 0 0 0 rows, which stand in no pair at all, and rows beyond a resolution
// limit (findOverlapGroups also asks the limit itself, for a table not yet
// eliminated). Rows without a real angle are never closer than a window to
// anything, so they stay out as well.
inline bool staysOutOfGroups(RowStatus status) {
  switch (status) {
    case RowStatus::RemovedInInput:
    case RowStatus::ZeroIndices:
    case RowStatus::BeyondLimit:
      return true;
    default:
      return false;
  }
}

// The overlap groups of the table with `window` (D, or DELTA), whatever the
// rule of the run: the same rows at any stage of it. The run stores its own
// (table.groups, by shareOverlaps); the window scan finds them per window.
OverlapGroups findOverlapGroups(const ReflectionTable& table, float window);

// `status` as the elimination with the same window gives it, with every
// member of `groups` marked SharedInGroup.
void markShared(std::vector<RowStatus>& status, const OverlapGroups& groups);

// One member of a group: its amplitude and sigma as stored, its weight.
struct GroupMember {
  float amplitude = 0;
  float sigma = 0;
  double weight = 1;
};

struct SharedValues {
  float intensity = 0;  // the group's mean of F^2
  float amplitude = 0;  // its square root
  float sigma = 0;      // sigma(F) of the shared amplitude
};

// The values every member of a group is written with. The mean of F^2
// (each the amplitude squared, in double) weighted by the members' weights,
// rounded to single once; the amplitude its square root, rounded once.
// sigma(I) is the root of the members' sigma(I) = 2 F sigma(F) combined as
// for a weighted mean, sum w^2 sigma(I)^2 / (sum w)^2, plus the weighted
// variance of their intensities about the mean, sum w (I - mean)^2 / sum w;
// sigma(F) = sigma(I) / (2 F), 0 for F = 0.
SharedValues sharedValues(const std::vector<GroupMember>& members);

// The run's sharing (after the elimination): stores the groups with the
// run's window in table.groups; every member gets the status SharedInGroup
// and, in sharedAmplitude and sharedSigma, the group's amplitude and, where
// the entry file gives sigmas, its sigma (else its own). The amplitudes and
// sigmas read stay in their columns.
void shareOverlaps(ReflectionTable& table);

}  // namespace kestran
