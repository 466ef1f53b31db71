#include "span_size.h"

namespace tactoria {

void UpdateSpanTexts(SpanTexts& texts, std::string_view newBytesText, std::string_view totalText,
                     std::int16_t blockAlign, NumberStyle style) {
  // 64-bit integer arithmetic throughout: INT32_MIN / -1 and its modulo stay defined.
  const std::int64_t align = blockAlign;

  // 1. The new byte count cut down to whole frames (the remainder has the dividend's sign).
  const auto newBytes = TextToDouble(newBytesText, style);
  const auto newBytesWhole = TextToLong(newBytesText, style);
  if (newBytes && newBytesWhole && align != 0) {
    texts.bytes = DoubleToText(*newBytes - static_cast<double>(*newBytesWhole % align), style);
  }

  // 2. One span: the bytes divided by the total, truncated toward zero.
  const auto bytes = TextToLong(texts.bytes, style);
  const auto total = TextToLong(totalText, style);
  if (bytes && total && *total != 0) {
    texts.bytes = LongToText(static_cast<std::int64_t>(*bytes) / *total);
  }

  // 3. The span in frames.
  const auto spanBytes = TextToLong(texts.bytes, style);
  if (spanBytes && align != 0) texts.samples = LongToText(*spanBytes / align);

  // 4. The span in bytes again, now a whole number of frames.
  const auto spanSamples = TextToDouble(texts.samples, style);
  if (spanSamples && align != 0) texts.bytes = DoubleToText(*spanSamples * static_cast<double>(align), style);
}

}  // namespace tactoria
