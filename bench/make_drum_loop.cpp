// Writes a drum loop made of synthesized hits as a 16-bit stereo wave file at 44100 Hz, for the
// timing scripts: make_drum_loop OUT.wav SECONDS [BPM]. The length is rounded to whole bars.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "analysis/drum_loops.h"

namespace {

void Le(std::ofstream& out, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_drum_loop OUT.wav SECONDS [BPM]\n");
    return 2;
  }
  tactoria::testing::LoopSpec spec;
  spec.groove = tactoria::testing::Grooves()[1];
  spec.bpm = argc > 3 ? std::atof(argv[3]) : 120.0;
  spec.bars = std::max(1, static_cast<int>(std::lround(std::atof(argv[2]) * spec.bpm / 240.0)));
  const tactoria::testing::Loop loop = tactoria::testing::MakeLoop(spec);
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  const auto bytes = static_cast<std::uint32_t>(loop.pcm.size());
  out.write("RIFF", 4);
  Le(out, 36 + bytes, 4);
  out.write("WAVEfmt ", 8);
  Le(out, 16, 4);
  Le(out, 1, 2);
  Le(out, 2, 2);
  Le(out, 44100, 4);
  Le(out, 44100 * 4, 4);
  Le(out, 4, 2);
  Le(out, 16, 2);
  out.write("data", 4);
  Le(out, bytes, 4);
  out.write(reinterpret_cast<const char*>(loop.pcm.data()), static_cast<std::streamsize>(bytes));
  return out.flush() ? 0 : 1;
}
