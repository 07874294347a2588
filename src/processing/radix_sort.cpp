#include "processing/radix_sort.hpp"

#include <array>
#include <utility>

namespace kestran {

namespace {

constexpr int radixBits = 11;
constexpr int radixBuckets = 1 << radixBits;

// One stable counting pass on the digit of the key at `shift`.
void radixPass(std::span<const std::uint64_t> from, std::span<std::uint64_t> to, int shift) {
  std::array<std::int32_t, radixBuckets + 1> counts{};
  const auto digit = [shift](std::uint64_t key) { return static_cast<int>((key >> shift) & (radixBuckets - 1)); };
  for (const std::uint64_t key : from) ++counts[digit(key) + 1];
  for (int d = 0; d < radixBuckets; ++d) counts[d + 1] += counts[d];
  for (const std::uint64_t key : from) to[counts[digit(key)]++] = key;
}

}  // namespace

std::span<std::uint64_t> sortByBitsFrom(std::span<std::uint64_t> keys, std::span<std::uint64_t> spare, int lowBit) {
  for (int shift = lowBit; shift < 64; shift += radixBits) {
    radixPass(keys, spare, shift);
    std::swap(keys, spare);
  }
  return keys;
}

}  // namespace kestran
