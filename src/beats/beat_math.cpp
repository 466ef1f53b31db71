#include "beat_math.h"

namespace tactoria {

std::int64_t BeatLength(std::int64_t size, std::int64_t count, std::int16_t blockAlign) {
  if (count < 1 || blockAlign < 1 || size < 0) return 0;
  const std::int64_t length = size / count;
  return length - length % blockAlign;
}

std::string SpanBasePath(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  std::string base(path.substr(0, nameStart));
  constexpr std::string_view kExtension = ".wav";
  std::string_view name = path.substr(nameStart);
  for (std::size_t found = name.find(kExtension); found != std::string_view::npos;
       found = name.find(kExtension)) {
    base.append(name.substr(0, found));
    name.remove_prefix(found + kExtension.size());
  }
  base.append(name);
  return base;
}

std::string BeatFileName(std::string_view base, int n) {
  std::string name(base);
  name += '[';
  name += std::to_string(n);
  name += "].wav";
  return name;
}

}  // namespace tactoria
