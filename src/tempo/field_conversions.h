#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tactoria {

// How numbers are written in the window's fields. The window passes its locale's decimal
// separator; the command-line tool uses the default.
struct NumberStyle {
  char decimalPoint = '.';
};

// A text is numeric when it is, whole and with blanks around it allowed: an optional sign,
// digits with at most one decimal separator (at least one digit in all), and an optional
// exponent (e or E, optional sign, digits). The empty text is not numeric, nor is a value too
// large for a double (one too small for it reads as 0).
bool IsNumeric(std::string_view text, NumberStyle style = {});

std::optional<double> TextToDouble(std::string_view text, NumberStyle style = {});
// Fails also when the value is outside the 32-bit float range.
std::optional<float> TextToSingle(std::string_view text, NumberStyle style = {});
// Rounded to the nearest integer, halves to even; fails outside the signed 32-bit range.
std::optional<std::int32_t> TextToLong(std::string_view text, NumberStyle style = {});

// Rounds half to even; fails when the result is outside the signed 32-bit range or not finite.
std::optional<std::int32_t> RoundToLong(double value);
// Rounds to the nearest float; fails when the value is not finite or overflows a float.
std::optional<float> RoundToSingle(double value);

// At most 15 significant digits, no trailing zeros, no separator for integral values
// ("22050", "25000.25"); exponent notation only for very large or very small magnitudes.
std::string DoubleToText(double value, NumberStyle style = {});
// The same with at most 7 significant digits ("105.84").
std::string SingleToText(float value, NumberStyle style = {});
std::string LongToText(std::int64_t value);

// Removes the character just before the caret (`caret` counts the characters before it).
// Returns no value when no character stands before the caret.
std::optional<std::string> RemoveBeforeCaret(std::string_view text, int caret);

}  // namespace tactoria
