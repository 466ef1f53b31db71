#include "shuffle_order.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <utility>

#include "beats/beat_math.h"
#include "wave/block_copy.h"
#include "wave/byte_buffer.h"

namespace tactoria {

std::uint64_t ShuffleRandom::FreshSeed() {
  std::random_device device;
  return static_cast<std::uint64_t>(device()) << 32 | device();
}

namespace {

int FirstSelected(const ShuffleRows& rows) {
  const auto found = std::find(rows.selected.begin(), rows.selected.end(), true);
  return found == rows.selected.end() ? 0 : static_cast<int>(found - rows.selected.begin());
}

int SelectedCount(const ShuffleRows& rows) {
  return static_cast<int>(std::count(rows.selected.begin(), rows.selected.end(), true));
}

void SwapRows(ShuffleRows& rows, int a, int b, const RowSwap& swapped) {
  std::swap(rows.order[a], rows.order[b]);
  if (swapped) swapped(a, b);
}

// Moves the block of selected rows by its own length; `direction` is +1 (down) or -1 (up).
void MoveBlock(ShuffleRows& rows, int first, int direction, const RowSwap& swapped) {
  const int last = first + SelectedCount(rows) - 1;
  for (int k = first; k <= last; ++k) {
    // Counted afresh each pass: with a scattered selection the count can change as rows move.
    const int destination = k + direction * SelectedCount(rows);
    if (destination < 0 || destination >= rows.size()) break;
    SwapRows(rows, k, destination, swapped);
    rows.selected[destination] = true;
    rows.selected[k] = false;
  }
}

}  // namespace

std::string ShuffleRowText(int bar, int beat) {
  return "Bar(" + std::to_string(bar) + ")::::Beat(" + std::to_string(beat) + ")";
}

ShuffleRows ShuffleRows::Loaded(int bars, int beats) {
  ShuffleRows rows;
  if (bars < 1 || beats < 1) return rows;
  const std::int64_t count = static_cast<std::int64_t>(bars) * beats;
  if (count > std::numeric_limits<int>::max()) return rows;
  rows.order.resize(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < rows.order.size(); ++i) rows.order[i] = static_cast<std::int32_t>(i + 1);
  rows.selected.assign(rows.order.size(), false);
  rows.selected[0] = true;
  rows.current = 0;
  return rows;
}

bool MoveSelectionDown(ShuffleRows& rows, const RowSwap& swapped) {
  const int n = rows.size();
  const int first = FirstSelected(rows);
  const int count = SelectedCount(rows);
  if (first == n - 1 || first + 2 * count > n) return false;
  MoveBlock(rows, first, +1, swapped);
  rows.current = first;
  return true;
}

bool MoveSelectionUp(ShuffleRows& rows, const RowSwap& swapped) {
  const int first = FirstSelected(rows);
  const int count = SelectedCount(rows);
  if (first == 0 || first < count) return false;
  MoveBlock(rows, first, -1, swapped);
  return true;
}

void RandomizeOrder(ShuffleRows& rows, const std::function<double()>& uniform, const RowSwap& swapped,
                    const std::function<void(int)>& step) {
  const int n = rows.size();
  for (int i = 0; i < n; ++i) {
    const double r = std::nearbyint(uniform() * (n - 1));
    // A generator outside [0, 1) must not reach outside the list.
    if (r >= 0 && r <= n - 1 && static_cast<int>(r) != i) SwapRows(rows, i, static_cast<int>(r), swapped);
    if (step) step(i);
  }
}

ReorderResult ReorderBeats(std::span<std::byte> data, const std::vector<std::int32_t>& order,
                           std::int16_t blockAlign, const std::function<void(int)>& step) {
  const std::size_t n = order.size();
  if (n == 0) return ReorderResult::BadOrder;
  try {
    std::vector<bool> seen(n, false);
    for (std::int32_t beat : order) {
      if (beat < 1 || static_cast<std::size_t>(beat) > n || seen[beat - 1]) return ReorderResult::BadOrder;
      seen[beat - 1] = true;
    }
  } catch (const std::bad_alloc&) {
    return ReorderResult::OutOfMemory;
  }

  const std::int64_t length =
      BeatLength(static_cast<std::int64_t>(data.size()), static_cast<std::int64_t>(n), blockAlign);
  // Fewer whole frames than beats: every block would be empty and the sound all zeros.
  if (length == 0) return ReorderResult::NoBlocks;

  auto scratch = ByteBuffer::AllocateZeroed(data.size());
  if (!scratch) return ReorderResult::OutOfMemory;
  const auto blockBytes = static_cast<std::size_t>(length);
  for (std::size_t i = 0; i < n; ++i) {
    const auto source = static_cast<std::size_t>(order[i] - 1) * blockBytes;
    vbmovsb(scratch->data() + i * blockBytes, data.data() + source, blockBytes);
    if (step) step(static_cast<int>(i));
  }
  vbmovsb(data.data(), scratch->data(), data.size());
  return ReorderResult::Done;
}

}  // namespace tactoria
