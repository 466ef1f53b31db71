#pragma once

#include <string>

namespace tactoria::cli {

// The slice command's own options, as given (checked by the parser).
struct SliceOptions {
  std::string at = "hits";  // "hits", "grid" or marker frames separated by commas
  double sensitivity = 0.5;
  bool snap = false;
  double fadeInMs = 0.5;
  double fadeOutMs = 4.0;
  bool sfz = false;
  bool sf2 = false;
  bool midi = false;
  bool marked = false;
};

}  // namespace tactoria::cli
