// The hit finder and the tempo finder scored on drum loops made here, against the goals: the tempo
// within 2% on at least 97.5% of the loops and never off by other than a factor 2 or 3, the hits
// with an F-measure of at least 0.95 within 5 ms.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "analysis/hits.h"
#include "analysis/tempo_estimate.h"
#include "support/drum_loops.h"

namespace tactoria {
namespace {

using testing::Corpus;
using testing::LoopRecipe;
using testing::MakeLoop;

TEST(Corpus, TempoAndHitsOnDrumLoops) {
  const std::vector<LoopRecipe> recipes = Corpus(80, 11);
  int right = 0;
  testing::Score total;
  std::ostringstream misses;
  for (const LoopRecipe& recipe : recipes) {
    const testing::Loop loop = MakeLoop(recipe);
    const TempoEstimate estimate = EstimateTempo(loop.pcm, loop.format);
    const testing::Score score =
        testing::MatchHits(estimate.onsets, loop.hits, loop.format.sampleRate * 5 / 1000);
    total.truePositives += score.truePositives;
    total.found += score.found;
    total.expected += score.expected;
    const double ratio = estimate.bpm / recipe.bpm;
    if (std::fabs(ratio - 1.0) <= 0.02) {
      ++right;
    } else {
      misses << recipe.groove.name << " " << recipe.bpm << " bpm " << recipe.bars << " bars swing "
             << recipe.swing << ": " << estimate.bpm << " (" << estimate.bars << " bars)\n";
      bool octave = false;
      for (const double factor : {2.0, 3.0, 0.5, 1.0 / 3.0})
        octave = octave || std::fabs(ratio / factor - 1.0) <= 0.02;
      EXPECT_TRUE(octave) << "tempo off by other than a factor 2 or 3";
    }
    if (score.FMeasure() < 0.85)
      ADD_FAILURE() << recipe.groove.name << " " << recipe.bpm << " swing " << recipe.swing << " F "
                    << score.FMeasure() << " found " << score.found << " expected " << score.expected;
  }
  EXPECT_GE(right, static_cast<int>(std::ceil(0.975 * static_cast<double>(recipes.size())))) << misses.str();
  EXPECT_GE(total.FMeasure(), 0.95);
  std::cout << "tempo right " << right << "/" << recipes.size() << ", hits F " << total.FMeasure() << "\n"
            << misses.str();
}

}  // namespace
}  // namespace tactoria
