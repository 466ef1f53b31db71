// Playback against a real sound server: what the sink received must be the rendered bytes,
// bit for bit, in order, nothing dropped or repeated.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include <sndfile.h>

#include "audio/audio_feed.h"
#include "audio/audio_player.h"
#include "import/sound_import.h"
#include "process/preview_sound.h"
#include "pulse_server.h"
#include "support/drum_loops.h"
#include "support/riff_builder.h"
#include "support/sound_measures.h"

namespace tactoria {
namespace {

using Bytes = std::vector<std::byte>;
constexpr std::size_t kFrame = 4;

PreviewSource RandomSource(std::int64_t frames, unsigned seed) {
  std::mt19937 random(seed);
  auto data = ByteBuffer::Allocate(static_cast<std::size_t>(frames) * kFrame);
  for (std::byte& b : data->bytes()) b = static_cast<std::byte>(random() | 1);  // never a silent frame
  return {std::make_shared<const ByteBuffer>(std::move(*data)), WaveFormat{1, 2, 44100, 176400, 4, 16}};
}

std::shared_ptr<const PreviewSound> Rendered(const PreviewSource& source, std::int32_t frames) {
  return std::get<std::shared_ptr<const PreviewSound>>(
      PreviewSound::Render(source, {frames, {}, false, false}));
}

// Where `part` starts inside `stream`, or npos.
std::size_t Find(const Bytes& stream, std::span<const std::byte> part) {
  const auto at = std::search(stream.begin(), stream.end(), part.begin(), part.begin() + 64);
  return at == stream.end() ? std::string::npos : static_cast<std::size_t>(at - stream.begin());
}

bool Silent(const Bytes& stream, std::size_t from, std::size_t to) {
  return std::all_of(stream.begin() + static_cast<std::ptrdiff_t>(from),
                     stream.begin() + static_cast<std::ptrdiff_t>(to),
                     [](std::byte b) { return b == std::byte{0}; });
}

class PlaybackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::g_pulse)
      GTEST_SKIP() << "PulseAudio is not installed: the no-output tests cover this build";
    testing::g_pulse->Clear();
  }

  AudioPlayer player;
};

TEST_F(PlaybackTest, SinkReceivesTheRenderBitExact) {
  const PreviewSource source = RandomSource(13000, 1);
  const auto sound = Rendered(source, 17321);  // a longer loop: frames repeat, in render order
  ASSERT_TRUE(player.Problem(sound->format()).isEmpty()) << player.Problem(sound->format()).toStdString();
  // Played once to the end (the player drains before it ends), the user-interface thread held up
  // meanwhile as by a slow paint, which must not leave the output without data.
  player.SetLoop(false);
  player.SetSound(sound);
  QSignalSpy finished(&player, &AudioPlayer::Finished);
  ASSERT_TRUE(player.Play()) << player.LastError().toStdString();
  QTest::qWait(60);
  QThread::msleep(150);
  ASSERT_TRUE(finished.wait(15000));
  QTest::qWait(200);

  // The stream holds the render once, with silence all around it.
  const Bytes stream = testing::g_pulse->Received(), expected = sound->Copy();
  const std::size_t at = Find(stream, expected);
  ASSERT_NE(at, std::string::npos) << "the rendered bytes never reached the sink";
  ASSERT_GE(stream.size(), at + expected.size()) << "the sink received only part of the sound";
  EXPECT_EQ(std::memcmp(stream.data() + at, expected.data(), expected.size()), 0);
  EXPECT_TRUE(Silent(stream, 0, at)) << "something played before the sound";
  EXPECT_TRUE(Silent(stream, at + expected.size(), stream.size())) << "something played after the sound";
}

// Imported files of the formats File > Open refuses (float, 24-bit EXTENSIBLE, 6 channels for the
// server's stereo sink) play once to their end, converted by the feed or the server: the sink hears
// the tone for the sound's length.
TEST_F(PlaybackTest, ImportedFloatAndManyChannelsPlayTheirTone) {
  const std::size_t frames = 13230;  // 0.3 s
  const std::vector<double> sine = testing::SineWave(441, 44100, frames, 0.5);
  testing::TempDir dir;
  for (const auto& [sfFormat, channels] :
       {std::pair{SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2}, std::pair{SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 6},
        std::pair{SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 6}, std::pair{SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 2}}) {
    SCOPED_TRACE(::testing::Message() << std::hex << sfFormat << ", " << channels << " channels");
    testing::g_pulse->Clear();
    const std::string path = dir / "loop.wav";
    ASSERT_TRUE(testing::WriteSoundFile(path, sfFormat, sine, 44100, channels)) << sf_strerror(nullptr);
    LoadResult loaded = OpenOrImport(path);
    ASSERT_TRUE(loaded.wave) << loaded.problem.message;
    const WaveFormat format = loaded.wave->validation.format;
    ChunkEntry& data = loaded.wave->file.Item(loaded.wave->validation.dataIndex);
    const auto sound =
        PreviewSound::Original({std::make_shared<const ByteBuffer>(std::move(data.data)), format});
    ASSERT_TRUE(player.Problem(format).isEmpty()) << player.Problem(format).toStdString();
    player.SetLoop(false);
    player.SetSound(sound);
    QSignalSpy finished(&player, &AudioPlayer::Finished);
    ASSERT_TRUE(player.Play()) << player.LastError().toStdString();
    ASSERT_TRUE(finished.wait(15000));
    QTest::qWait(200);

    // The server's sink: 16-bit stereo. The left channel from its first sound to its last.
    const Bytes stream = testing::g_pulse->Received();
    const std::vector<double> left = testing::Channel16(stream.data(), stream.size(), 2, 0);
    const auto loud = [](double v) { return std::fabs(v) > 0.01; };
    const auto first = std::find_if(left.begin(), left.end(), loud);
    ASSERT_NE(first, left.end()) << "nothing was heard";
    const auto last = std::find_if(left.rbegin(), left.rend(), loud).base();
    const std::vector<double> heard(first, last);
    EXPECT_NEAR(static_cast<double>(heard.size()), static_cast<double>(frames),
                0.02 * static_cast<double>(frames));
    EXPECT_NEAR(testing::DominantFrequency(heard, 44100), 441, 3);
    const double peak = std::fabs(*std::max_element(
        heard.begin(), heard.end(), [](double a, double b) { return std::fabs(a) < std::fabs(b); }));
    EXPECT_GT(peak, 0.2) << "the tone is too quiet";
  }
}

// A new length while looping: the stream is the old loop up to some frame, then the new one from
// the matching place on, with no gap, nothing dropped or repeated.
TEST_F(PlaybackTest, NewLengthTakesOverAtThePlayhead) {
  const PreviewSource source = RandomSource(8000, 3);
  const auto before = Rendered(source, 9000);
  const auto after = Rendered(source, 6100);
  player.SetLoop(true);
  player.SetSound(before);
  ASSERT_TRUE(player.Play());
  QTest::qWait(500);
  player.SetSound(after);
  QTest::qWait(600);
  player.Stop();
  QTest::qWait(100);
  const Bytes stream = testing::g_pulse->Received();
  const Bytes oldBytes = before->Copy(), newBytes = after->Copy();
  const std::size_t at = Find(stream, oldBytes);
  ASSERT_NE(at, std::string::npos);
  ASSERT_TRUE(Silent(stream, 0, at));
  const auto frameAt = [&](std::size_t i) { return stream.data() + at + i * kFrame; };
  const std::size_t streamFrames = (stream.size() - at) / kFrame;
  const auto oldFrames = static_cast<std::size_t>(before->frames());
  const auto newFrames = static_cast<std::size_t>(after->frames());
  // The longest run that follows the old loop; the switch lies at or before its end.
  std::size_t run = 0;
  while (run < streamFrames &&
         std::memcmp(frameAt(run), oldBytes.data() + (run % oldFrames) * kFrame, kFrame) == 0)
    ++run;
  ASSERT_GT(run, oldFrames) << "the old loop did not play once round before the change";
  bool found = false;
  for (std::size_t cut = run; cut + 64 > run && cut > 0 && !found; --cut) {
    std::size_t place = (cut % oldFrames) * newFrames / oldFrames;
    std::size_t i = cut;
    while (i < streamFrames && std::memcmp(frameAt(i), newBytes.data() + place * kFrame, kFrame) == 0) {
      ++i;
      place = (place + 1) % newFrames;
    }
    // The new loop must play at least once round, then only silence (the stop) may follow.
    if (i - cut > newFrames && Silent(stream, at + i * kFrame, stream.size())) found = true;
  }
  EXPECT_TRUE(found) << "no clean switch from the old loop to the new one (" << run
                     << " frames matched the old)";
}

// What the sink is handed for formats it has no type of its own for: 24-bit samples become the
// top three bytes of 32-bit ones, and 8-bit silence is 128, not 0.
TEST(AudioFeedTest, ConvertsSamplesAndPadsWithTrueSilence) {
  const auto read = [](const Bytes& data, const WaveFormat& format, std::int64_t from,
                       std::optional<std::int64_t> to, bool loop, std::int64_t silence, qint64 size) {
    AudioFeed feed;
    auto buffer = std::make_shared<const ByteBuffer>(std::move(*ByteBuffer::CopyOf(data)));
    feed.Begin(PreviewSound::Original({buffer, format}), from, to, loop, silence);
    EXPECT_TRUE(feed.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    const QByteArray out = feed.read(size);
    EXPECT_EQ(feed.Finished(), !loop);
    return out;
  };
  Bytes data;  // 2 frames of 24-bit stereo
  for (int i = 0; i < 12; ++i) data.push_back(static_cast<std::byte>(0x10 + i));
  EXPECT_EQ(read(data, {1, 2, 44100, 264600, 6, 24}, 0, std::nullopt, false, 1, 64),
            QByteArray("\0\x10\x11\x12\0\x13\x14\x15\0\x16\x17\x18\0\x19\x1A\x1B\0\0\0\0\0\0\0\0", 24));
  // Float and more channels for a sink of fewer: channel c goes into c modulo 2, averaged;
  // rounded to the nearest step and clipped.
  std::vector<float> six{0.5f, -0.5f, 0.25f, -0.25f, 0.75f, -0.75f, 2, -2, 2, -2, 2, -2};
  const auto sixBytes = std::as_bytes(std::span(six));
  AudioFeed mixdown;
  QAudioFormat stereo16;
  stereo16.setSampleFormat(QAudioFormat::Int16);
  stereo16.setChannelCount(2);
  stereo16.setSampleRate(44100);
  mixdown.Begin(
      PreviewSound::Original({std::make_shared<const ByteBuffer>(std::move(*ByteBuffer::CopyOf(sixBytes))),
                              {3, 6, 44100, 44100 * 24, 24, 32}}),
      0, std::nullopt, false, 0, stereo16);
  ASSERT_TRUE(mixdown.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
  EXPECT_EQ(mixdown.read(64), QByteArray("\x00\x40\x00\xC0\xFF\x7F\x00\x80", 8));
  const Bytes eight(3, std::byte{9});
  const WaveFormat mono8{1, 1, 8000, 8000, 1, 8};
  EXPECT_EQ(read(eight, mono8, 0, std::nullopt, false, 2, 16), QByteArray("\x09\x09\x09\x80\x80", 5));
  EXPECT_EQ(read(eight, mono8, 1, 3, true, 0, 5), QByteArray(5, '\x09'));  // a loop never runs dry
}

}  // namespace
}  // namespace tactoria
