// What a slice export writes, read back: the slice files, the SFZ, the MIDI file and the SoundFont
// by their layouts, the marked file by libsndfile; and that a refusal or a failure writes nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "slices/file_set.h"
#include "slices/slice_export.h"
#include "support/drum_loops.h"
#include "support/failing_sink.h"
#include "support/riff_builder.h"
#include "support/sound_measures.h"

namespace tactoria::testing {
namespace {

using ::testing::HasSubstr;
constexpr int kRate = 44100;

WaveFormat Format(int channels, int bits, std::uint16_t tag = 1) {
  return MakeFormat(channels, kRate, bits, tag);
}

std::uint32_t Le(const Bytes& bytes, std::size_t at, int width = 4) {
  std::uint32_t value = 0;
  for (int i = 0; i < width; ++i) value |= std::to_integer<std::uint32_t>(bytes.at(at + i)) << (8 * i);
  return value;
}

std::string Text(const Bytes& bytes, std::size_t at, std::size_t count) {
  std::string text(reinterpret_cast<const char*>(bytes.data() + at), count);
  return text.substr(0, text.find('\0'));
}

// 16-bit little-endian words.
Bytes Words(std::initializer_list<std::uint16_t> words) {
  Bytes bytes;
  for (const std::uint16_t word : words) AppendLe(bytes, word, 2);
  return bytes;
}

std::string ToString(const Bytes& bytes) {
  return Text(bytes, 0, bytes.size());
}

// The chunks of a RIFF body (or a LIST's body after its type) in order, by id.
std::multimap<std::string, Bytes> Chunks(const Bytes& bytes, std::size_t from = 12) {
  std::multimap<std::string, Bytes> chunks;
  for (std::size_t at = from; at + 8 <= bytes.size();) {
    const std::size_t size = Le(bytes, at + 4);
    chunks.emplace(Text(bytes, at, 4), Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at + 8),
                                             bytes.begin() + static_cast<std::ptrdiff_t>(at + 8 + size)));
    at += 8 + size + size % 2;
  }
  return chunks;
}

Bytes Only(const std::multimap<std::string, Bytes>& chunks, const std::string& id) {
  EXPECT_EQ(chunks.count(id), 1u) << id;
  const auto found = chunks.find(id);
  return found == chunks.end() ? Bytes() : found->second;
}

// A LIST of the given type among the chunks, opened.
std::multimap<std::string, Bytes> List(const std::multimap<std::string, Bytes>& chunks,
                                       const std::string& type) {
  const auto [first, last] = chunks.equal_range("LIST");
  for (auto it = first; it != last; ++it) {
    if (Text(it->second, 0, 4) == type) return Chunks(it->second, 4);
  }
  ADD_FAILURE() << "no LIST " << type;
  return {};
}

// Stereo 16-bit noise bursts, each channel its own, so that misplaced frames show.
Bytes Noise(std::size_t frames, int channels = 2) {
  Bytes pcm;
  std::uint32_t state = 12345;
  for (std::size_t i = 0; i < frames * static_cast<std::size_t>(channels); ++i) {
    state = state * 1664525u + 1013904223u;
    AppendLe(pcm, (state >> 16) & 0xFFFFu, 2);
  }
  return pcm;
}

class SliceExportTest : public ::testing::Test {
 protected:
  SliceExport Request(const Bytes& sound, const WaveFormat& format, std::vector<std::int64_t> markers) {
    sound_ = sound;
    SliceExport request;
    request.basePath = dir_ / "drum";
    request.sound = sound_;
    request.format = format;
    request.slices =
        *SlicesFromMarkers(static_cast<std::int64_t>(sound.size()) / format.blockAlign, std::move(markers))
             .slices;
    request.fades = SliceFades{0, 0};
    return request;
  }
  Bytes Read(const std::string& name) { return ReadBytes(dir_ / name); }

  TempDir dir_;
  Bytes sound_;
};

TEST_F(SliceExportTest, SliceFilesJoinGiveTheSoundAndTheSfzMapsEachOnce) {
  const WaveFormat format = Format(2, 16);
  SliceExport request = Request(Noise(8000), format, {1000, 2500, 6000});
  request.sfz = true;
  ASSERT_TRUE(ExportSlices(request, false).ok());
  Bytes joined;
  for (int n = 1; n <= 4; ++n) {
    const auto chunks = Chunks(Read("drum[" + std::to_string(n) + "].wav"));
    EXPECT_EQ(Only(chunks, "fmt "), ToBytes(format.ToBytes()));
    const Bytes data = Only(chunks, "data");
    joined.insert(joined.end(), data.begin(), data.end());
  }
  EXPECT_EQ(joined, sound_);

  std::istringstream sfz(ToString(Read("drum.sfz")));
  std::set<std::string> samples;
  int regions = 0;
  for (std::string line; std::getline(sfz, line);) {
    if (line.rfind("<region>", 0) != 0) continue;
    const std::string key = std::to_string(36 + regions);
    EXPECT_THAT(line, HasSubstr(" lokey=" + key + " hikey=" + key + " pitch_keycenter=" + key + " "));
    EXPECT_THAT(line, HasSubstr(" loop_mode=one_shot "));
    samples.insert(line.substr(line.find("sample=") + 7));
    ++regions;
  }
  EXPECT_EQ(regions, 4);
  EXPECT_EQ(samples, (std::set<std::string>{"drum[1].wav", "drum[2].wav", "drum[3].wav", "drum[4].wav"}));
}

// The track's events as (tick, bytes), running status not used.
std::vector<std::pair<std::uint32_t, Bytes>> MidiEvents(const Bytes& file) {
  std::vector<std::pair<std::uint32_t, Bytes>> events;
  EXPECT_EQ(Text(file, 0, 4), "MThd");
  EXPECT_EQ(Text(file, 14, 4), "MTrk");
  std::size_t at = 22;
  std::uint32_t tick = 0;
  while (at < file.size()) {
    std::uint32_t delta = 0;
    std::uint8_t byte = 0;
    do {
      byte = std::to_integer<std::uint8_t>(file.at(at++));
      delta = delta << 7 | (byte & 0x7Fu);
    } while (byte & 0x80u);
    tick += delta;
    const auto status = std::to_integer<std::uint8_t>(file.at(at));
    const std::size_t length = status == 0xFF            ? 3 + std::to_integer<std::size_t>(file.at(at + 2))
                               : (status & 0xF0) == 0xC0 ? 2
                                                         : 3;
    events.emplace_back(tick, Bytes(file.begin() + static_cast<std::ptrdiff_t>(at),
                                    file.begin() + static_cast<std::ptrdiff_t>(at + length)));
    at += length;
  }
  return events;
}

TEST_F(SliceExportTest, MidiPlaysEachSliceOnItsKeyFromItsStartToItsEnd) {
  // Two seconds, 4 beats: 120 bpm, 500000 microseconds a quarter, 22050 frames = 960 ticks.
  SliceExport request = Request(Noise(88200), Format(2, 16), {22050, 33075, 66150});
  request.midi = true;
  request.tempo = {4, 4};
  ASSERT_TRUE(ExportSlices(request, false).ok());
  const Bytes file = Read("drum.mid");
  EXPECT_EQ(Le(file, 8, 2), 0u);                // format 0
  EXPECT_EQ(file.at(12), std::byte{960 >> 8});  // 960 ticks a quarter, big-endian
  EXPECT_EQ(file.at(13), std::byte{960 & 0xFF});
  const auto u8 = [](std::initializer_list<int> values) {
    Bytes bytes;
    for (const int v : values) bytes.push_back(static_cast<std::byte>(v));
    return bytes;
  };
  const std::vector<std::pair<std::uint32_t, Bytes>> expected{
      {0, u8({0xFF, 0x51, 3, 0x07, 0xA1, 0x20})},  // 500000
      {0, u8({0xFF, 0x58, 4, 4, 2, 24, 8})},
      {0, u8({0xC0, 0})},
      {0, u8({0x90, 36, 127})},
      {960, u8({0x80, 36, 0})},
      {960, u8({0x90, 37, 127})},
      {1440, u8({0x80, 37, 0})},
      {1440, u8({0x90, 38, 127})},
      {2880, u8({0x80, 38, 0})},
      {2880, u8({0x90, 39, 127})},
      {3840, u8({0x80, 39, 0})},
      {3840, u8({0xFF, 0x2F, 0})},
  };
  EXPECT_EQ(MidiEvents(file), expected);
}

// The 16-bit sample points of the SoundFont and its sample headers.
struct SoundFont {
  std::multimap<std::string, Bytes> info, sdta, pdta;
  std::uint32_t Header(std::size_t sample, std::size_t at, int width = 4) const {
    return Le(Only(pdta, "shdr"), sample * 46 + at, width);
  }
  std::int32_t Point(std::uint32_t index) const {
    return static_cast<std::int16_t>(Le(Only(sdta, "smpl"), 2 * index, 2));
  }
};

SoundFont ReadSoundFont(const Bytes& bytes) {
  EXPECT_EQ(Text(bytes, 8, 4), "sfbk");
  const auto chunks = Chunks(bytes);
  return {List(chunks, "INFO"), List(chunks, "sdta"), List(chunks, "pdta")};
}

TEST_F(SliceExportTest, SoundFontMapsLinkedStereoSamplesToTheKeys) {
  SliceExport request = Request(Noise(3000), Format(2, 16), {1000});
  request.sf2 = true;
  ASSERT_TRUE(ExportSlices(request, false).ok());
  const SoundFont font = ReadSoundFont(Read("drum.sf2"));
  EXPECT_EQ(Only(font.info, "ifil"), Words({2, 1}));
  EXPECT_EQ(Text(Only(font.info, "isng"), 0, 8), "EMU8000");
  EXPECT_EQ(font.sdta.count("sm24"), 0u);
  // Samples: slice 1 left, right, slice 2 left, right, then the terminal record.
  ASSERT_EQ(Only(font.pdta, "shdr").size(), 5u * 46);
  EXPECT_EQ(Text(Only(font.pdta, "shdr"), 4 * 46, 20), "EOS");
  const std::uint32_t lengths[] = {1000, 1000, 2000, 2000};
  std::uint32_t start = 0;
  for (std::size_t s = 0; s < 4; ++s) {
    EXPECT_EQ(font.Header(s, 20), start) << s;
    EXPECT_EQ(font.Header(s, 24), start + lengths[s]) << s;
    EXPECT_EQ(font.Header(s, 36), 44100u);
    EXPECT_EQ(font.Header(s, 40, 1), 36 + s / 2);                  // original pitch: the key
    EXPECT_EQ(font.Header(s, 42, 2), s % 2 == 0 ? s + 1 : s - 1);  // linked to its other side
    EXPECT_EQ(font.Header(s, 44, 2), s % 2 == 0 ? 4u : 2u);        // left, right
    // The points are the channel's samples, followed by 46 zero points.
    const std::size_t first = s < 2 ? 0 : 1000;
    for (std::uint32_t i = 0; i < lengths[s]; ++i) {
      const auto expected = static_cast<std::int16_t>(Le(sound_, (first + i) * 4 + (s % 2) * 2, 2));
      if (font.Point(start + i) != expected) {
        ADD_FAILURE() << "sample " << s << " point " << i;
        break;
      }
    }
    for (std::uint32_t i = 0; i < 46; ++i) EXPECT_EQ(font.Point(start + lengths[s] + i), 0);
    start += lengths[s] + 46;
  }
  // Instrument zones: key range, root key, no loop, pan to the sample's side, the sample last.
  const Bytes igen = Only(font.pdta, "igen");
  ASSERT_EQ(igen.size(), (4 * 5 + 1) * 4u);
  for (std::uint16_t z = 0; z < 4; ++z) {  // generator, amount: keyRange, rootKey, sampleModes, pan, sampleID
    const auto key = static_cast<std::uint16_t>(36 + z / 2),
               pan = static_cast<std::uint16_t>(z % 2 ? 500 : -500);
    EXPECT_EQ(Bytes(igen.begin() + z * 20, igen.begin() + z * 20 + 20),
              Words({43, static_cast<std::uint16_t>(key | key << 8), 58, key, 54, 0, 17, pan, 53, z}));
  }
  EXPECT_EQ(Only(font.pdta, "pgen"), Words({41, 0, 0, 0}));  // the preset calls instrument 0
  EXPECT_EQ(Text(Only(font.pdta, "phdr"), 38, 20), "EOP");
  EXPECT_EQ(Text(Only(font.pdta, "inst"), 22, 20), "EOI");
  EXPECT_EQ(Le(Only(font.pdta, "inst"), 42, 2), 4u);  // the terminal record closes 4 zones
}

TEST_F(SliceExportTest, SoundFontKeeps24BitsThroughSm24AndConvertsFloat) {
  // 24-bit mono: the high 16 bits in "smpl", the low 8 in "sm24".
  Bytes deep;
  for (std::uint32_t i = 0; i < 300; ++i) AppendLe(deep, (i * 0x01F3A7u + 0x123456u) & 0xFFFFFFu, 3);
  SliceExport request = Request(deep, Format(1, 24), {100});
  request.sf2 = true;
  ASSERT_TRUE(ExportSlices(request, false).ok());
  SoundFont font = ReadSoundFont(Read("drum.sf2"));
  EXPECT_EQ(Only(font.info, "ifil"), Words({2, 4}));
  const Bytes sm24 = Only(font.sdta, "sm24");
  ASSERT_EQ(sm24.size(), (300 + 2 * 46) / 2 * 2u);
  for (std::uint32_t i = 0; i < 300; ++i) {
    const std::uint32_t point = i < 100 ? i : i + 46;
    const std::uint32_t value =
        static_cast<std::uint32_t>(font.Point(point)) << 8 | std::to_integer<std::uint32_t>(sm24[point]);
    ASSERT_EQ(value & 0xFFFFFFu, Le(deep, i * 3, 3)) << i;
  }
  EXPECT_EQ(font.Header(0, 44, 2), 1u);  // mono

  // Float: scaled to 24 bits, clipped at full scale.
  Bytes floats;
  for (const float v : {0.5f, -0.25f, 2.0f, -1.0f, 0.0f, 0.0f}) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &v, 4);
    AppendLe(floats, bits);
  }
  request = Request(floats, Format(1, 32, 3), {3});
  request.sf2 = true;
  ASSERT_TRUE(ExportSlices(request, true).ok());
  font = ReadSoundFont(Read("drum.sf2"));
  EXPECT_EQ(font.Point(0), 0x4000);
  EXPECT_EQ(font.Point(1), -0x2000);
  EXPECT_EQ(font.Point(2), 0x7FFF);
  EXPECT_EQ(font.Point(3 + 46), -0x8000);
}

TEST_F(SliceExportTest, MarkedWaveCarriesCuesLabelsLoopAndTempo) {
  SliceExport request = Request(Noise(88200), Format(2, 16), {20000, 44100, 60000});
  request.marked = true;
  request.tempo = {8, 4};  // 240 bpm over two seconds
  ASSERT_TRUE(ExportSlices(request, false).ok());

  SF_INFO info{};
  const std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> file(
      sf_open((dir_ / "drum.wav").c_str(), SFM_READ, &info), sf_close);
  ASSERT_TRUE(file) << sf_strerror(nullptr);
  EXPECT_EQ(info.frames, 88200);
  std::uint32_t cueCount = 0;
  ASSERT_EQ(sf_command(file.get(), SFC_GET_CUE_COUNT, &cueCount, sizeof cueCount), SF_TRUE);
  ASSERT_EQ(cueCount, 4u);
  SF_CUES cues{};
  ASSERT_EQ(sf_command(file.get(), SFC_GET_CUE, &cues, sizeof cues), SF_TRUE);
  const std::int32_t starts[] = {0, 20000, 44100, 60000};
  for (std::size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(cues.cue_points[k].indx, static_cast<std::int32_t>(k + 1));
    EXPECT_EQ(cues.cue_points[k].position, static_cast<std::uint32_t>(starts[k]));
    EXPECT_EQ(cues.cue_points[k].sample_offset, static_cast<std::uint32_t>(starts[k]));
  }
  SF_INSTRUMENT instrument{};
  ASSERT_EQ(sf_command(file.get(), SFC_GET_INSTRUMENT, &instrument, sizeof instrument), SF_TRUE);
  ASSERT_EQ(instrument.loop_count, 1);
  EXPECT_EQ(instrument.loops[0].mode, SF_LOOP_FORWARD);
  EXPECT_EQ(instrument.loops[0].start, 0u);
  EXPECT_EQ(instrument.loops[0].end, 88200u);  // the whole sound
  SF_LOOP_INFO loop{};
  ASSERT_EQ(sf_command(file.get(), SFC_GET_LOOP_INFO, &loop, sizeof loop), SF_TRUE);
  EXPECT_EQ(loop.loop_mode, SF_LOOP_FORWARD);  // a loop, not a one-shot
  EXPECT_EQ(loop.num_beats, 8);
  EXPECT_EQ(loop.time_sig_num, 4);
  EXPECT_EQ(loop.time_sig_den, 4);
  EXPECT_FLOAT_EQ(static_cast<float>(loop.bpm), 240.0f);
  std::vector<short> samples(88200 * 2);
  ASSERT_EQ(sf_readf_short(file.get(), samples.data(), 88200), 88200);
  EXPECT_EQ(std::memcmp(samples.data(), sound_.data(), sound_.size()), 0);

  const auto adtl = List(Chunks(Read("drum.wav")), "adtl");
  ASSERT_EQ(adtl.count("labl"), 4u);
  std::set<std::string> labels;
  for (auto [it, end] = adtl.equal_range("labl"); it != end; ++it)
    labels.insert(std::to_string(Le(it->second, 0)) + ":" + Text(it->second, 4, it->second.size() - 4));
  EXPECT_EQ(labels, (std::set<std::string>{"1:Slice 1", "2:Slice 2", "3:Slice 3", "4:Slice 4"}));
}

TEST_F(SliceExportTest, NothingIsWrittenOnARefusalOrAFailedWrite) {
  const Bytes sound = Noise(20000);
  std::vector<std::int64_t> many;
  for (std::int64_t k = 1; k <= 92; ++k) many.push_back(k * 200);  // 93 slices
  SliceExport request = Request(sound, Format(2, 16), many);
  request.sfz = request.midi = true;
  SliceExportOutcome outcome = ExportSlices(request, false);
  EXPECT_EQ(
      outcome.refusal,
      "The sound has 93 slices, but only 92 keys from 36 (C1) to 127 can take one each. Cut fewer slices, "
      "or leave out --sfz, --sf2 and --midi.");
  EXPECT_TRUE(dir_.Names().empty());
  request.sfz = request.midi = false;  // the slice files alone need no keys
  ASSERT_TRUE(ExportSlices(request, false).ok());
  EXPECT_EQ(dir_.Names().size(), 93u);
  std::filesystem::remove_all(dir_.path());
  std::filesystem::create_directory(dir_.path());

  request = Request(sound, Format(2, 16), {5000, 5100});
  request.fades = SliceFades{};
  EXPECT_THAT(ExportSlices(request, false).refusal, HasSubstr("Slice 2 is 100 frames"));
  EXPECT_TRUE(dir_.Names().empty());

  // A full disk half way, and a target that exists: every former file as it was, nothing new.
  request = Request(sound, Format(2, 16), {5000, 10000});
  request.sfz = request.sf2 = request.midi = request.marked = true;
  WriteBytes(dir_ / "drum[2].wav", Ramp(7));
  outcome = ExportSlices(request, true, FullDiskSinks(60000));
  EXPECT_EQ(outcome.files.status.result, FileResult::WriteFailed);
  EXPECT_EQ(outcome.files.status.osError, ENOSPC);
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"drum[2].wav"}));
  outcome = ExportSlices(request, false);
  EXPECT_EQ(outcome.files.status.result, FileResult::CannotCreate);
  EXPECT_EQ(outcome.files.failedPath, dir_ / "drum[2].wav");
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"drum[2].wav"}));
  EXPECT_EQ(Read("drum[2].wav"), Ramp(7));
  ASSERT_TRUE(ExportSlices(request, true).ok());
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"drum.mid", "drum.sf2", "drum.sfz", "drum.wav",
                                                    "drum[1].wav", "drum[2].wav", "drum[3].wav"}));
}

// A file that another program puts under the last name while the set is written: the files already
// in place are taken back, that program's file is left alone.
TEST_F(SliceExportTest, FileSetTakesBackWhatItCommittedWhenALaterNameIsTaken) {
  const Bytes mine = Ramp(10), theirs = Ramp(6, 50);
  const auto write = [&mine](PendingFile& file) -> const WriteStatus& { return WriteBytes(file, mine); };
  const std::vector<PlannedFile> files{
      {dir_ / "a", write}, {dir_ / "b", write}, {dir_ / "c", [&](PendingFile& file) -> const WriteStatus& {
                                                   WriteBytes(dir_ / "c", theirs);
                                                   return WriteBytes(file, mine);
                                                 }}};
  const FileSetOutcome outcome = WriteFileSet(files, false);
  EXPECT_EQ(outcome.status.result, FileResult::CannotCreate);
  EXPECT_EQ(outcome.failedPath, dir_ / "c");
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"c"}));
  EXPECT_EQ(Read("c"), theirs);
}

}  // namespace
}  // namespace tactoria::testing
