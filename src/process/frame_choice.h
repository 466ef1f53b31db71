#pragma once

#include <cstdint>

#include "process/sound_routines.h"

namespace tactoria {

// Walks the source frames that ChangeSoundLength picks, in integers. The nearest frame to
// v = L * i / M is floor((2 * L * i + M) / (2 * M)); that quotient and its remainder are carried
// from one index to the next. The double formula is within 2.3e-16 * L of v, so it can round the
// other way only where v lies that close to a half; there (remainder near 0 or 2M) the double
// formula itself is asked. The frames equal ReferenceFrameChoice exactly.
// Needs 0 <= L < 2^50, 0 <= M < 2^31 and 0 <= first <= M.
class FrameChooser {
 public:
  FrameChooser(std::int64_t lastSourceFrame, std::int64_t lastResultFrame, std::int64_t first = 0)
      : last_(lastSourceFrame), m_(lastResultFrame), i_(first) {
    if (m_ <= 0) return;  // a one-frame result only ever takes frame 0
    const std::int64_t b = last_ % m_;
    twoM_ = 2 * m_;
    step_ = last_ / m_;
    twoStepRem_ = 2 * b;
    // 2 * L * first + M = 2 * M * step * first + (2 * b * first + M), and 2 * b * first < 2^63.
    const std::int64_t low = 2 * b * first + m_;
    frame_ = step_ * first + low / twoM_;
    rem_ = low % twoM_;
    // Twice the error bound, as a remainder distance from 0 or 2M.
    const double bound = 2.0 * static_cast<double>(m_) * (static_cast<double>(last_) + 1.0) * 5e-16;
    const auto nearHalf = static_cast<std::uint64_t>(bound) + 1;
    nearHalf_ = nearHalf;
    clearSpan_ = static_cast<std::uint64_t>(twoM_) > 2 * nearHalf + 1 ? twoM_ - 2 * nearHalf - 1 : 0;
  }

  // The frame for the current index, then moves to the next index.
  std::int64_t Next() {
    if (m_ <= 0) return 0;
    std::int64_t frame = frame_;
    // One unsigned comparison: the remainder lies within nearHalf_ of 0 or of 2M.
    if (static_cast<std::uint64_t>(rem_) - nearHalf_ - 1 >= clearSpan_) [[unlikely]] {
      frame = Reference();
    }
    ++i_;
    frame_ += step_;
    rem_ += twoStepRem_;
    // The carry follows the ratio of the lengths, which a branch predictor cannot learn.
    const bool carry = __builtin_expect_with_probability(rem_ >= twoM_, 1, 0.5);
    frame_ += carry ? 1 : 0;
    rem_ = carry ? rem_ - twoM_ : rem_;
    return frame;
  }

 private:
  std::int64_t Reference() const {
    const std::int64_t frame = ReferenceFrameChoice(last_, m_, i_);
    return frame > last_ ? last_ : frame;  // never past the source, whatever the rounding did
  }

  std::int64_t last_;
  std::int64_t m_;
  std::int64_t i_;
  std::int64_t twoM_ = 0;
  std::int64_t step_ = 0;        // L / M
  std::int64_t twoStepRem_ = 0;  // 2 * (L % M)
  std::int64_t frame_ = 0;       // floor((2 * L * i + M) / (2 * M))
  std::int64_t rem_ = 0;         // (2 * L * i + M) mod 2M
  std::uint64_t nearHalf_ = 1;
  std::uint64_t clearSpan_ = 0;
};

}  // namespace tactoria
