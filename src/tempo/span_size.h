#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "field_conversions.h"

namespace tactoria {

// The texts of the span preview fields ("Span File(s) Properties": Bytes and Samples).
struct SpanTexts {
  std::string bytes;
  std::string samples;
};

// The span preview's four steps, each skipped when its conversion or arithmetic fails:
// 1. bytes = newBytes - (round(newBytes) mod A)            (whole frames)
// 2. bytes = round(bytes) / round(total), truncated         (one span)
// 3. samples = round(bytes) / A, truncated
// 4. bytes = samples x A
// `texts` holds the fields' current texts and receives the new ones.
void UpdateSpanTexts(SpanTexts& texts, std::string_view newBytesText, std::string_view totalText,
                     std::int16_t blockAlign, NumberStyle style = {});

}  // namespace tactoria
