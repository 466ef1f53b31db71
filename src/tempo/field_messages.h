#pragma once

namespace tactoria {

// The refusals of typed values, as the window shows them (and the command-line tool repeats).
inline constexpr const char* kInvalidValueTitle = "Invalid Value";
inline constexpr const char* kInvalidNumeric = "Invalid numeric value.";
inline constexpr const char* kMustBeAboveZero = "Invalid value. Must be greater than 0.";  // beats, bars
inline constexpr const char* kCannotBeGreaterThan =
    "Invalid value. Cannot be greater than ";  // + limit + "."
inline constexpr const char* kInvalidBeatsValue = "Invalid beat(s) value.";
inline constexpr const char* kSamplesMustBeAboveZero = "Invalid. Value must be greater than 0.";
inline constexpr const char* kOverflowTitle = "Error: Overflow";
inline constexpr const char* kSamplesOverflow = "Invalid. The samples value has overflowed.";
inline constexpr const char* kSamplesInvalid = "Samples invalid.";
inline constexpr const char* kInvalidPhaserValue = "Invalid phaser value.";
inline constexpr const char* kPhaserAboveBound = "Invalid. Value cannot be greater than the (samples / 8).";

}  // namespace tactoria
