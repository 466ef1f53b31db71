// Writes drum loops made of synthesized hits as 16-bit stereo wave files at 44100 Hz, for the
// scripts beside it:
//   make_drum_loop OUT.wav SECONDS [BPM]      one loop, its length rounded to whole bars;
//   make_drum_loop --corpus DIR COUNT SEED    the analysis tests' corpus: DIR/loopNNN.wav and
//                                             DIR/loopNNN.txt (the tempo, then each hit's frame).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "support/drum_loops.h"

namespace {

void Le(std::ofstream& out, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

bool WriteWave(const std::string& path, const tactoria::testing::Loop& loop) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
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
  return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--corpus") {
    const std::string dir = argv[2];
    const auto recipes =
        tactoria::testing::Corpus(std::atoi(argv[3]), static_cast<unsigned>(std::atoi(argv[4])));
    for (std::size_t i = 0; i < recipes.size(); ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/loop%03zu", i);
      const tactoria::testing::Loop loop = tactoria::testing::MakeLoop(recipes[i]);
      if (!WriteWave(dir + name + ".wav", loop)) return 1;
      std::ofstream truth(dir + name + ".txt");
      truth << recipes[i].bpm << "\n";
      for (const std::int64_t hit : loop.hits) truth << hit << "\n";
    }
    return 0;
  }
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_drum_loop OUT.wav SECONDS [BPM] | --corpus DIR COUNT SEED\n");
    return 2;
  }
  tactoria::testing::LoopRecipe recipe;
  recipe.groove = tactoria::testing::Grooves()[1];
  recipe.bpm = argc > 3 ? std::atof(argv[3]) : 120.0;
  recipe.bars = std::max(1, static_cast<int>(std::lround(std::atof(argv[2]) * recipe.bpm / 240.0)));
  return WriteWave(argv[1], tactoria::testing::MakeLoop(recipe)) ? 0 : 1;
}
