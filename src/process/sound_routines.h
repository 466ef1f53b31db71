#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "wave/byte_buffer.h"
#include "wave/wave_format.h"

namespace tactoria {

// Nearest-frame resampling of a whole sound to `newFrames` frames: frame i of the result is
// source frame s(i), s(0) = 0 and for i >= 1 s(i) = round-half-even(L / (M / i)) with
// L = last source frame index, M = newFrames - 1, both divisions in double precision.
// Returns false, writing nothing, for a block align, frame count or source size below 1,
// for a result of 2^31 bytes or more, and when the result buffer cannot be allocated.
// Only whole frames of the source are used.
bool ChangeSoundLength(std::span<const std::byte> source, std::int16_t blockAlign, std::int32_t newFrames,
                       ByteBuffer& result);

// The source frame that result frame `i` takes, by the double-division formula above.
// This is the reference the fast frame choice must match exactly.
std::int64_t ReferenceFrameChoice(std::int64_t lastSourceFrame, std::int64_t lastResultFrame, std::int64_t i);

// The phaser: every odd frame j up to N = round-half-even(frames - offset) takes the content
// of frame j + offset - 1; all other frames keep theirs. Whole frames are copied. Returns false
// only when `offsetFrames` is below 1 or the format's block align is below 1.
bool SetPhaser(std::span<std::byte> buffer, const WaveFormat& format, std::int32_t offsetFrames);

// Reverses the order of the blocks of `blockSize` bytes, in place; the bytes inside a block
// keep their order. Bytes after the last whole block stay where they are. Returns false only
// for a block size below 1.
bool ReverseSample(std::span<std::byte> buffer, std::int16_t blockSize);

// Blocks 0, 2, 4, ... of `target` take the source's block of the same index while the source
// has a whole block there; every other byte of the target keeps its content. Returns false,
// changing nothing, when either buffer is empty or the block size is below 1.
bool MixSamples(std::span<std::byte> target, std::span<const std::byte> source, std::int16_t blockSize);

}  // namespace tactoria
