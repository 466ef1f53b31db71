// Reads and validates arbitrary bytes as a wave file and, when they pass, renders them with a
// length change, the phaser and the reverse chosen from the input.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "process/render.h"
#include "wave/wave_validation.h"

namespace {

// The input lives in an in-memory file, so the real reading code runs without touching a disk.
int InputFile() {
  static const int fd = ::memfd_create("fuzz-wave", MFD_CLOEXEC);
  if (fd < 0) std::abort();
  return fd;
}

bool StoreInput(const std::uint8_t* data, std::size_t size) {
  const int fd = InputFile();
  if (::ftruncate(fd, 0) != 0) return false;
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!StoreInput(data, size)) std::abort();
  static const std::string path = "/proc/self/fd/" + std::to_string(InputFile());

  const tactoria::OpenResult opened = tactoria::OpenWaveFile(path);
  if (!opened.wave) {
    if (opened.problem.message.empty()) std::abort();  // every refusal carries a message
    return 0;
  }
  const auto& validation = opened.wave->validation;
  const auto sound = opened.wave->file.Item(validation.dataIndex).bytes();

  // The last input byte picks the edits, so the fuzzer can reach each combination.
  const unsigned choice = size > 0 ? data[size - 1] : 0u;
  tactoria::RenderSettings settings;
  const auto frames = static_cast<std::int32_t>(1 + (size * 7 + choice) % 1024);
  if ((choice & 1u) != 0) settings.newFrames = frames;
  if ((choice & 2u) != 0) settings.phaserValue = 1.0 + static_cast<double>((choice >> 3) % 16);
  settings.reverse = (choice & 4u) != 0;

  const tactoria::RenderResult rendered = tactoria::RenderNewSample(sound, validation.format, settings);
  if (!rendered.failure) {
    const std::size_t expected =
        settings.newFrames
            ? static_cast<std::size_t>(frames) * static_cast<std::size_t>(validation.format.blockAlign)
            : sound.size();
    if (rendered.buffer.size() != expected) std::abort();
  }
  return 0;
}
