#pragma once

// The texts the tool reports, the same the window shows for the same refusals.
namespace tactoria::cli {

// Input values.
inline constexpr const char* kInvalidNumeric = "Invalid numeric value.";
inline constexpr const char* kMustBeAboveZero = "Invalid value. Must be greater than 0.";
inline constexpr const char* kInvalidBeatsValue = "Invalid beat(s) value.";
inline constexpr const char* kCannotBeGreaterThan = "Invalid value. Cannot be greater than ";
inline constexpr const char* kSamplesMustBeAboveZero = "Invalid. Value must be greater than 0.";
inline constexpr const char* kSamplesOverflow = "Invalid. The samples value has overflowed.";
inline constexpr const char* kOverflowTitle = "Error: Overflow";
inline constexpr const char* kPhaserAboveBound = "Invalid. Value cannot be greater than the (samples / 8).";

// Shuffle and span limits.
inline constexpr const char* kShuffleTotalZero = "Beats * bars need's to be a higher value than 0.";
inline constexpr const char* kShuffleTotalAbove = "Beats * bars need's to be less than ";
inline constexpr const char* kShuffleOutOfMemory = "Out of memory. Could not shuffle beats.";
inline constexpr const char* kShuffleNoBlocks =
    "The sound holds fewer frames than beats: the beats cannot be reordered.";
inline constexpr const char* kSpanBeatsBelowOne = "Beat(s) and Bar(s) must be greater or equal than 1.";
inline constexpr const char* kSpanFailureTitle = "Span Failure";
inline constexpr const char* kSpanFailure =
    "Failed to span the current sound by bars * beats. Please lower this value if you wish to span.";

// Writing.
inline constexpr const char* kWriteFailed = "Failed to write data to the file.";
inline constexpr const char* kCreateFailed = "Failed to create the file.";
inline constexpr const char* kOutOfMemory = "Out of memory.";
inline constexpr const char* kOutputExists = "already exists; use --force to replace it.";

}  // namespace tactoria::cli
