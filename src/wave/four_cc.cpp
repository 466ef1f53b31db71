#include "four_cc.h"

namespace tactoria {

std::string FourCCText(std::uint32_t code) {
  std::string text(4, '?');
  for (int i = 0; i < 4; ++i) {
    const auto c = static_cast<unsigned char>((code >> (8 * i)) & 0xFFu);
    if (c >= 0x20 && c < 0x7F) text[static_cast<std::size_t>(i)] = static_cast<char>(c);
  }
  return text;
}

}  // namespace tactoria
