#include "processing/overlaps.hpp"

#include <algorithm>
#include <cmath>

#include "processing/elimination.hpp"
#include "processing/resolution_limit.hpp"
#include "reflections/single_precision.hpp"

namespace kestran {

namespace {

// A member's weight in its group's mean: its multiplicity where the file or
// the space group gives one (a value below 1, a missing or damaged one,
// counts as 1), else 1.
double weightOf(const ReflectionTable& table, bool byMultiplicity, int row) {
  return byMultiplicity ? std::max(1, table.multiplicity[row]) : 1.0;
}

void shareGroup(ReflectionTable& table, const std::vector<int>& rows, bool byMultiplicity) {
  std::vector<GroupMember> members;
  members.reserve(rows.size());
  for (const int row : rows) {
    members.push_back({table.amplitude[row], table.sigma[row], weightOf(table, byMultiplicity, row)});
  }
  const SharedValues shared = sharedValues(members);
  const bool withSigmas = flavourOf(table).entryHasSigmas;
  for (const int row : rows) {
    table.sharedAmplitude[row] = shared.amplitude;
    table.sharedSigma[row] = withSigmas ? shared.sigma : table.sigma[row];
    table.status[row] = RowStatus::SharedInGroup;
  }
}

}  // namespace

OverlapGroups findOverlapGroups(const ReflectionTable& table, float window) {
  const int n = table.rows;
  OverlapGroups groups;
  groups.groupOfRow.assign(static_cast<std::size_t>(n), 0);
  const PairTest pairs(table, window);
  bool closeToPrevious = false;
  int group = 0;  // the group of the chain under way, 0 until it has a member
  for (int i = nextCompared(table, -1); i < n;) {
    const int next = nextCompared(table, i);
    // The elimination's test, so that the members are the rows it removes.
    const bool closeToNext = next < n && pairs.close(i, next);
    if (!closeToPrevious) {
      group = 0;
    }
    if ((closeToPrevious || closeToNext) && !staysOutOfGroups(table.status[i]) && !isBeyondLimit(table, i)) {
      if (group == 0) {
        groups.sizeOfGroup.push_back(0);
        group = groups.count();
      }
      groups.groupOfRow[i] = group;
      ++groups.sizeOfGroup[group - 1];
      ++groups.members;
    }
    closeToPrevious = closeToNext;
    i = next;
  }
  return groups;
}

void markShared(std::vector<RowStatus>& status, const OverlapGroups& groups) {
  for (std::size_t row = 0; row < status.size(); ++row) {
    if (groups.groupOfRow[row] != 0) {
      status[row] = RowStatus::SharedInGroup;
    }
  }
}

SharedValues sharedValues(const std::vector<GroupMember>& members) {
  double weights = 0, weighted = 0;
  for (const GroupMember& member : members) {
    weights += member.weight;
    weighted += member.weight * (double{member.amplitude} * member.amplitude);
  }
  const double mean = weighted / weights;
  SharedValues shared;
  shared.intensity = roundToSingle(mean);
  // A mean beyond single precision (amplitudes beyond about 1.8e19) keeps a
  // finite amplitude, from the mean itself.
  shared.amplitude = roundToSingle(std::sqrt(std::isinf(shared.intensity) ? mean : double{shared.intensity}));
  const double centre = std::isinf(shared.intensity) ? mean : double{shared.intensity};
  double propagated = 0, spread = 0;
  for (const GroupMember& member : members) {
    const double deviation = double{member.amplitude} * member.amplitude - centre;
    const double sigmaIntensity = 2.0 * std::fabs(double{member.amplitude}) * member.sigma;
    propagated += member.weight * member.weight * sigmaIntensity * sigmaIntensity;
    spread += member.weight * deviation * deviation;
  }
  const double sigmaIntensity = std::sqrt(propagated / (weights * weights) + spread / weights);
  shared.sigma = shared.amplitude > 0 ? roundToSingle(sigmaIntensity / (2.0 * shared.amplitude)) : 0.0F;
  return shared;
}

void shareOverlaps(ReflectionTable& table) {
  table.groups = findOverlapGroups(table, runWindow(table));
  const OverlapGroups& groups = table.groups;
  table.sharedAmplitude.assign(static_cast<std::size_t>(table.rows), 0.0F);
  table.sharedSigma.assign(static_cast<std::size_t>(table.rows), 0.0F);
  // The file's multiplicities (SIRPOW), or the space group's.
  const bool byMultiplicity = table.multiplicity.size() == static_cast<std::size_t>(table.rows);
  // A group's members come before the next group's, in table order.
  std::vector<int> rows;
  for (int row = 0; row < table.rows; ++row) {
    const int group = groups.groupOfRow[row];
    if (group == 0) {
      continue;
    }
    if (!rows.empty() && groups.groupOfRow[rows.front()] != group) {
      shareGroup(table, rows, byMultiplicity);
      rows.clear();
    }
    rows.push_back(row);
  }
  if (!rows.empty()) {
    shareGroup(table, rows, byMultiplicity);
  }
}

}  // namespace kestran
