#include "insertionorder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <thread>
#include <utility>

namespace pelvarhost::civil {

namespace {

constexpr int kCurveBits = 20;  // per axis: the curve's grid is 2^20 cells wide
constexpr int kRoundBits = 3;   // eight rounds, each about seven times the one before
constexpr int kKeyBits = kRoundBits + 2 * kCurveBits;
constexpr int kDigitBits = 15;  // radix sort digit: three passes cover the key
constexpr std::uint64_t kRoundSeed = 0x5D588B656C078965ull;

struct Keyed {
  std::uint64_t key;
  std::uint32_t index;
};

// A well-mixed 64-bit value of an index (splitmix64's finaliser).
std::uint64_t Mix(std::uint64_t value) {
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
  return value ^ (value >> 31);
}

// Round 7 (the last) takes 7/8 of the points, round 6 7/64, and so on back to round 0.
std::uint64_t RoundOf(std::uint32_t index) {
  const int level = std::countl_zero(Mix(index + kRoundSeed) | 1) / kRoundBits;
  const int last = (1 << kRoundBits) - 1;
  return static_cast<std::uint64_t>(last - std::min(level, last));
}

// The Hilbert curve read a few bits of each coordinate at a time. Inside a quadrant the
// curve is the whole curve turned by a mix of two commuting flips, both their own
// inverse: swapping x and y, and mirroring both; a state holds which of the two are in
// force (bit 0 swap, bit 1 mirror). One step reads kChunkBits of x and of y under a state
// and gives 2 * kChunkBits digits of the distance and the state for the bits below.
constexpr int kChunkBits = 4;
constexpr std::uint32_t kChunkMask = (1u << kChunkBits) - 1;
static_assert(kCurveBits % kChunkBits == 0);

struct HilbertStep {
  std::uint8_t digits, state;
};
using HilbertTable = std::array<HilbertStep, (4u << (2 * kChunkBits))>;

// The classic bit-at-a-time walk down a chunk, noting the flips it applies.
HilbertStep StepOf(std::uint32_t state, std::uint32_t x, std::uint32_t y) {
  if (state & 2) x ^= kChunkMask, y ^= kChunkMask;
  if (state & 1) std::swap(x, y);
  std::uint32_t digits = 0;
  for (std::uint32_t side = 1u << (kChunkBits - 1); side > 0; side >>= 1) {
    const std::uint32_t rx = (x & side) ? 1 : 0, ry = (y & side) ? 1 : 0;
    digits += side * side * ((3 * rx) ^ ry);
    if (ry == 0) {
      if (rx == 1) {
        x = side - 1 - (x & (side - 1));
        y = side - 1 - (y & (side - 1));
        state ^= 2;
      }
      std::swap(x, y);
      state ^= 1;
    }
  }
  return {static_cast<std::uint8_t>(digits), static_cast<std::uint8_t>(state)};
}

const HilbertTable& HilbertSteps() {
  static const HilbertTable table = [] {
    HilbertTable steps{};
    for (std::uint32_t state = 0; state < 4; ++state)
      for (std::uint32_t x = 0; x <= kChunkMask; ++x)
        for (std::uint32_t y = 0; y <= kChunkMask; ++y)
          steps[(state << (2 * kChunkBits)) | (x << kChunkBits) | y] = StepOf(state, x, y);
    return steps;
  }();
  return table;
}

// The distance along a Hilbert curve of the cell (x, y) of a 2^kCurveBits grid.
std::uint64_t HilbertDistance(const HilbertTable& steps, std::uint32_t x, std::uint32_t y) {
  std::uint64_t distance = 0;
  std::uint32_t state = 0;
  for (int shift = kCurveBits - kChunkBits; shift >= 0; shift -= kChunkBits) {
    const HilbertStep step =
        steps[(state << (2 * kChunkBits)) | (((x >> shift) & kChunkMask) << kChunkBits) | ((y >> shift) & kChunkMask)];
    distance = distance << (2 * kChunkBits) | step.digits;
    state = step.state;
  }
  return distance;
}

// Cell coordinates along one axis of the points' bounding box.
struct Axis {
  double low, scale;
  Axis(double lowest, double highest)
      : low(lowest), scale(highest > lowest ? ((1u << kCurveBits) - 1) / (highest - lowest) : 0.0) {
    if (!std::isfinite(scale)) scale = 0;  // an extent too small to divide by: one column
  }
  std::uint32_t Cell(double v) const { return static_cast<std::uint32_t>((v - low) * scale); }
};

constexpr int kPasses = (kKeyBits + kDigitBits - 1) / kDigitBits;
constexpr std::uint64_t kDigitMask = (1u << kDigitBits) - 1;

// Least significant digit first, every digit's counts taken in one read.
void RadixSort(std::vector<Keyed>& items) {
  std::vector<std::array<std::size_t, (1u << kDigitBits)>> start(kPasses);
  for (const Keyed& item : items)
    for (int pass = 0; pass < kPasses; ++pass) ++start[pass][(item.key >> (pass * kDigitBits)) & kDigitMask];
  std::vector<Keyed> other(items.size());
  for (int pass = 0; pass < kPasses; ++pass) {
    auto& at = start[pass];
    if (std::count(at.begin(), at.end(), items.size()) == 1) continue;  // one digit for all
    std::size_t sum = 0;
    for (std::size_t& count : at) sum += std::exchange(count, sum);
    const int shift = pass * kDigitBits;
    for (const Keyed& item : items) other[at[(item.key >> shift) & kDigitMask]++] = item;
    items.swap(other);
  }
}

// Keys for items [begin, end).
void KeyRange(const std::vector<PlanXy>& points, const Axis& x, const Axis& y, std::size_t begin, std::size_t end,
              std::vector<Keyed>& items) {
  const HilbertTable& steps = HilbertSteps();
  for (std::size_t i = begin; i < end; ++i) {
    const auto index = static_cast<std::uint32_t>(i);
    const std::uint64_t along = HilbertDistance(steps, x.Cell(points[i].x / 2), y.Cell(points[i].y / 2));
    items[i] = {RoundOf(index) << (2 * kCurveBits) | along, index};
  }
}

}  // namespace

InsertionOrder OrderForInsertion(const std::vector<PlanXy>& points) {
  double minX = std::numeric_limits<double>::max(), minY = minX, maxX = std::numeric_limits<double>::lowest(),
         maxY = maxX;
  for (const PlanXy& p : points) {
    minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
  }
  // Halving first keeps the extent finite for coordinates near the largest double.
  const Axis x(minX / 2, maxX / 2), y(minY / 2, maxY / 2);
  std::vector<Keyed> items(points.size());
  HilbertSteps();  // built before the threads share it
  const std::size_t half = points.size() / 2;
  {
    std::jthread firstHalf([&] { KeyRange(points, x, y, 0, half, items); });
    KeyRange(points, x, y, half, points.size(), items);
  }
  RadixSort(items);
  // The curve covers the left half of its grid before the right one.
  constexpr std::uint64_t kRightHalf = std::uint64_t{2} << (2 * kCurveBits - 2);
  constexpr std::uint64_t kLastRounds = std::uint64_t{(1 << kRoundBits) - 2} << (2 * kCurveBits);
  InsertionOrder result;
  result.order.resize(items.size());
  result.half.resize(items.size());
  result.lastRounds = items.size();
  for (std::size_t i = 0; i < items.size(); ++i) {
    result.order[i] = items[i].index;
    result.half[i] = (items[i].key & ((std::uint64_t{1} << (2 * kCurveBits)) - 1)) >= kRightHalf ? 1 : 0;
    if (items[i].key >= kLastRounds) result.lastRounds = std::min(result.lastRounds, i);
  }
  return result;
}

}  // namespace pelvarhost::civil
