#include "field_conversions.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace tactoria {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The pieces of a number that passed the grammar check.
struct NumberParts {
  bool negative = false;
  std::string_view mantissa;  // digits with at most one separator
  std::string_view exponent;  // the digits after e/E and their sign, or empty
};

std::optional<NumberParts> SplitNumber(std::string_view text, char decimalPoint) {
  NumberParts parts;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    parts.negative = text[i] == '-';
    ++i;
  }
  const std::size_t mantissaStart = i;
  int digits = 0;
  bool separatorSeen = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      ++digits;
    } else if (text[i] == decimalPoint && !separatorSeen) {
      separatorSeen = true;
    } else {
      break;
    }
  }
  if (digits == 0) return std::nullopt;
  parts.mantissa = text.substr(mantissaStart, i - mantissaStart);
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    const std::size_t exponentStart = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t exponentDigits = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i == exponentDigits) return std::nullopt;
    parts.exponent = text.substr(exponentStart, i - exponentStart);
  }
  if (i != text.size()) return std::nullopt;
  return parts;
}

// from_chars reports both overflow and underflow as out of range; the decimal magnitude of the
// leading digit tells them apart.
bool IsUnderflow(const NumberParts& parts, char decimalPoint) {
  long long place = 0;
  const std::size_t separator = parts.mantissa.find(decimalPoint);
  const std::size_t integerDigits = separator == std::string_view::npos ? parts.mantissa.size() : separator;
  for (std::size_t i = 0; i < parts.mantissa.size(); ++i) {
    const char c = parts.mantissa[i];
    if (c == decimalPoint || c == '0') continue;
    place = i < integerDigits ? static_cast<long long>(integerDigits - 1 - i)
                              : -static_cast<long long>(i - integerDigits);
    break;
  }
  long long exponent = 0;
  bool negativeExponent = false;
  for (char c : parts.exponent) {
    if (c == '-') negativeExponent = true;
    if (IsDigit(c) && exponent < 1'000'000) exponent = exponent * 10 + (c - '0');
  }
  return place + (negativeExponent ? -exponent : exponent) < 0;
}

std::optional<double> Parse(std::string_view text, NumberStyle style) {
  text = TrimBlanks(text);
  const auto parts = SplitNumber(text, style.decimalPoint);
  if (!parts) return std::nullopt;
  // from_chars takes neither a leading '+' nor another separator than '.'.
  std::string normal;
  normal.reserve(parts->mantissa.size() + parts->exponent.size() + 1);
  for (char c : parts->mantissa) normal.push_back(c == style.decimalPoint ? '.' : c);
  if (!parts->exponent.empty()) {
    normal.push_back('e');
    normal.append(parts->exponent);
  }
  double value = 0;
  const auto [end, error] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
  if (error == std::errc::result_out_of_range && IsUnderflow(*parts, style.decimalPoint)) {
    value = 0;
  } else if (error != std::errc{} || end != normal.data() + normal.size()) {
    return std::nullopt;
  }
  return parts->negative ? -value : value;
}

std::string WithSeparator(std::string text, NumberStyle style) {
  for (char& c : text) {
    if (c == '.') c = style.decimalPoint;
    if (c == 'e') c = 'E';
  }
  if (text == "-0") return "0";
  return text;
}

}  // namespace

bool IsNumeric(std::string_view text, NumberStyle style) {
  return Parse(text, style).has_value();
}

std::optional<double> TextToDouble(std::string_view text, NumberStyle style) {
  return Parse(text, style);
}

std::optional<float> TextToSingle(std::string_view text, NumberStyle style) {
  const auto value = Parse(text, style);
  if (!value) return std::nullopt;
  return RoundToSingle(*value);
}

std::optional<std::int32_t> TextToLong(std::string_view text, NumberStyle style) {
  const auto value = Parse(text, style);
  if (!value) return std::nullopt;
  return RoundToLong(*value);
}

std::optional<std::int32_t> RoundToLong(double value) {
  const double rounded = std::nearbyint(value);
  // Written so that NaN fails both comparisons.
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return std::nullopt;
  return static_cast<std::int32_t>(rounded);
}

std::optional<float> RoundToSingle(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  constexpr double kMax = std::numeric_limits<float>::max();
  // Half an ulp above the largest float still rounds down to it; from there on, to infinity.
  constexpr double kOverflow = kMax + 0x1p103;
  const double magnitude = std::fabs(value);
  if (magnitude >= kOverflow) return std::nullopt;
  if (magnitude > kMax) return static_cast<float>(value < 0 ? -kMax : kMax);
  return static_cast<float>(value);
}

std::string DoubleToText(double value, NumberStyle style) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  return WithSeparator(std::string(buffer, result.ptr), style);
}

std::string SingleToText(float value, NumberStyle style) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 7);
  return WithSeparator(std::string(buffer, result.ptr), style);
}

std::string LongToText(std::int64_t value) {
  return std::to_string(value);
}

std::optional<std::string> RemoveBeforeCaret(std::string_view text, int caret) {
  if (caret < 1) return std::nullopt;
  // Walk character by character: a UTF-8 continuation byte (10xxxxxx) belongs to the character
  // before it.
  auto isContinuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
  std::size_t start = 0;  // first byte of the character before the caret
  std::size_t end = 0;    // byte offset of the caret
  for (int counted = 0; counted < caret && end < text.size(); ++counted) {
    start = end;
    ++end;
    while (end < text.size() && isContinuation(text[end])) ++end;
  }
  if (end == 0) return std::nullopt;
  std::string result(text.substr(0, start));
  result.append(text.substr(end));
  return result;
}

}  // namespace tactoria
