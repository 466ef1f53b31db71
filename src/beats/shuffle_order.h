#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <random>
#include <span>
#include <string>
#include <vector>

namespace tactoria {

// Shuffle's limit on beats x bars.
inline constexpr int kMaxShuffleBeats = 2048;
inline constexpr const char* kShuffleLimitTitle = "Invalid Calculation";
inline constexpr const char* kShuffleTotalZero = "Beats * bars need's to be a higher value than 0.";
inline constexpr const char* kShuffleTotalAbove = "Beats * bars need's to be less than ";  // + limit + "."
inline constexpr const char* kShuffleOutOfMemory = "Out of memory. Could not shuffle beats.";

// The row text of beat j of bar i: "Bar(i)::::Beat(j)".
std::string ShuffleRowText(int bar, int beat);

// The rows of the shuffle list and their selection marks. `order` holds the beat numbers
// (1-based positions in the data) in list order; `selected` belongs to row positions.
struct ShuffleRows {
  std::vector<std::int32_t> order;
  std::vector<bool> selected;
  int current = 0;

  // bars x beats rows in loaded order, the first one selected and current.
  static ShuffleRows Loaded(int bars, int beats);
  int size() const { return static_cast<int>(order.size()); }
};

// Called for each exchange of rows a and b, so a list widget can follow the moves.
using RowSwap = std::function<void(int a, int b)>;

// Moves the selected block down (up) by its own length. Returns false, changing nothing, when
// the move does not fit; true when it was carried out (also with no row selected).
bool MoveSelectionDown(ShuffleRows& rows, const RowSwap& swapped = {});
bool MoveSelectionUp(ShuffleRows& rows, const RowSwap& swapped = {});

// The source of Randomize's uniform values in [0, 1), for the window and the command-line tool
// alike: a 64-bit Mersenne Twister whose top 53 bits make each value, so one seed gives one
// order on every platform.
class ShuffleRandom {
 public:
  explicit ShuffleRandom(std::uint64_t seed) : generator_(seed) {}
  // A seed from the system's entropy source.
  static std::uint64_t FreshSeed();
  double operator()() { return static_cast<double>(generator_() >> 11) * 0x1.0p-53; }

 private:
  std::mt19937_64 generator_;
};

// For i = 0 .. n-1: r = round-half-even(uniform() x (n - 1)); exchange rows i and r.
// `step` runs after each exchange with i (progress and event processing).
void RandomizeOrder(ShuffleRows& rows, const std::function<double()>& uniform, const RowSwap& swapped = {},
                    const std::function<void(int)>& step = {});

enum class ReorderResult {
  Done,
  NoBlocks,     // fewer whole frames than beats: the block length is 0
  OutOfMemory,  // no scratch buffer
  BadOrder,     // the order is not a permutation of 1..n
};

// Rewrites `data` block by block in `order` (block length = BeatLength(size, n, blockAlign));
// bytes after the last whole block become zero. `step` runs after each block with its index.
ReorderResult ReorderBeats(std::span<std::byte> data, const std::vector<std::int32_t>& order,
                           std::int16_t blockAlign, const std::function<void(int)>& step = {});

}  // namespace tactoria
