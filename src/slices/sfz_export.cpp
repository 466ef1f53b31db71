#include "sfz_export.h"

#include "slices/slice_keys.h"

namespace tactoria {

std::string SfzText(const std::vector<std::string>& sliceFiles) {
  std::string text = "// " + std::to_string(sliceFiles.size()) + " slices on keys " +
                     std::to_string(kFirstSliceKey) + " to " +
                     std::to_string(SliceKey(sliceFiles.empty() ? 0 : sliceFiles.size() - 1)) + "\n";
  for (std::size_t k = 0; k < sliceFiles.size(); ++k) {
    const std::string key = std::to_string(SliceKey(k));
    // The sample name goes last: it runs to the end of the line and may hold spaces.
    text += "<region> lokey=" + key + " hikey=" + key + " pitch_keycenter=" + key +
            " loop_mode=one_shot sample=" + sliceFiles[k] + "\n";
  }
  return text;
}

}  // namespace tactoria
