#include "cli_jobs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "beats/beat_math.h"
#include "beats/shuffle_order.h"
#include "beats/span_beats.h"
#include "cli_analyze.h"
#include "cli_messages.h"
#include "cli_slice.h"
#include "import/sound_import.h"
#include "import/source_format.h"
#include "process/render.h"
#include "process/render_plan.h"
#include "process/rendered_output.h"
#include "process/sound_routines.h"
#include "process/time_stretch_render.h"
#include "tempo/field_conversions.h"
#include "tempo/limits.h"
#include "tempo/span_size.h"
#include "tempo/tempo_formulas.h"
#include "wave/deferred_file_source.h"
#include "wave/four_cc.h"
#include "wave/media_file.h"
#include "wave/wave_validation.h"

namespace tactoria::cli {
namespace {

// Prints "tactoria-cli: message (title; path)" and gives the exit status back.
int Report(std::ostream& err, int status, std::string_view message, std::string_view title = {},
           std::string_view path = {}) {
  err << "tactoria-cli: " << message;
  if (!title.empty() || !path.empty()) {
    err << " (" << title << (!title.empty() && !path.empty() ? "; " : "") << path << ")";
  }
  err << "\n";
  return status;
}

// True for anything at `path`, a dangling link included: none of it is replaced without --force.
bool PathExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// The window's message for a failed write, with the operating system's reason when there is one.
int ReportSaveResult(std::ostream& err, const WriteStatus& status, const std::string& path) {
  const std::string reason = status.osError == kNotRegularFile ? "not a regular file"
                             : status.osError != 0             ? std::strerror(status.osError)
                                                               : "";
  switch (status.result) {
    case FileResult::Success:
      return kExitOk;
    case FileResult::CannotCreate:
      if (status.osError == EEXIST && PathExists(path))
        return Report(err, kExitFailed, path + " " + kOutputExists);
      return Report(err, kExitFailed, kCreateFailed, reason, path);
    case FileResult::CannotReplace:
      return Report(err, kExitFailed, kCreateFailed, reason, path);
    case FileResult::OutOfMemory:
      return Report(err, kExitFailed, kOutOfMemory, {}, path);
    default:
      return Report(err, kExitFailed, kWriteFailed, reason, path);
  }
}

// Integral values as JSON integers (4, not 4.0), others as they are.
nlohmann::ordered_json JsonNumber(double value) {
  constexpr double kLimit = 9.0e18;  // inside the 64-bit integer range
  if (std::isfinite(value) && std::fabs(value) < kLimit && value == std::trunc(value)) {
    return static_cast<std::int64_t>(value);
  }
  return value;
}

nlohmann::ordered_json JsonNumber(const std::string& text) {
  const std::optional<double> value = TextToDouble(text);
  if (!value) return nullptr;
  return JsonNumber(*value);
}

// One run of save, span or mix on an opened and validated IN.
class EditJob {
 public:
  // `deferred`: where IN's data is still arriving from, if it is (see DeferredFileSource).
  EditJob(const CliCommand& command, const JobStreams& streams, OpenedWave& input,
          DeferredFileSource* deferred = nullptr)
      : command_(command), edits_(command.edits), streams_(streams), input_(input), deferred_(deferred) {}

  // The sound save would write (or, with `original`, IN's data after --order/--shuffle), for
  // the commands that play or draw it.
  int RenderSound(bool original, ByteBuffer& sound) {
    if (int status = ResolveNewLength(); status != kExitOk) return status;
    if (original) {
      if (int status = ApplyOrder(); status != kExitOk) return status;
      std::optional<ByteBuffer> copy = ByteBuffer::CopyOf(Data().bytes());
      if (!copy) return Report(Err(), kExitFailed, kOutOfMemory, kRenderFailureTitle);
      sound = std::move(*copy);
      return kExitOk;
    }
    if (int status = Render(); status != kExitOk) return status;
    const RenderPlan& plan = plan_->plan();
    std::optional<ByteBuffer> gathered = ByteBuffer::Allocate(static_cast<std::size_t>(plan.bytes()));
    if (!gathered) return Report(Err(), kExitFailed, kOutOfMemory, kRenderFailureTitle);
    plan.Gather(plan_->source(), 0, gathered->bytes());
    sound = std::move(*gathered);
    return kExitOk;
  }

  int Run() {
    if (int status = ResolveNewLength(); status != kExitOk) return status;
    int status = kExitOk;
    switch (command_.job) {
      case Job::Save:
        status = RefuseExisting(command_.output);
        if (status == kExitOk) status = Save();
        break;
      case Job::Span:
        status = Span();
        break;
      default:
        status = Mix();
        break;
    }
    return status;
  }

 private:
  ChunkEntry& Data() { return input_.file.Item(input_.validation.dataIndex); }
  const WaveFormat& Format() const { return input_.validation.format; }
  std::ostream& Err() { return streams_.err; }

  // The new length from --frames or --bpm, and the phaser's upper bound on the resulting length.
  int ResolveNewLength() {
    newFrames_ = edits_.frames;
    if (edits_.bpm) {
      const std::optional<float> samples =
          CalcSamples(static_cast<float>(*edits_.bpm), Format().sampleRate, static_cast<float>(edits_.bars),
                      static_cast<float>(edits_.beats));
      if (!samples || static_cast<double>(*samples) > kMaxFrames) {
        return Report(Err(), kExitUsage, std::string("--bpm: ") + kSamplesOverflow, kOverflowTitle);
      }
      newFrames_ = RoundToLong(*samples);
      if (!newFrames_ || *newFrames_ < 1) {
        return Report(Err(), kExitUsage, std::string("--bpm: ") + kSamplesMustBeAboveZero);
      }
    }
    if (edits_.phaser) {
      const double frames = newFrames_ ? static_cast<double>(*newFrames_)
                                       : static_cast<double>(Data().size()) / Format().blockAlign;
      const double bound = PhaserBound(frames);
      if (*edits_.phaser > bound) {
        return Report(Err(), kExitUsage,
                      std::string("--phaser: ") + kPhaserAboveBound + " The bound here is " +
                          DoubleToText(bound) + ".");
      }
    }
    return kExitOk;
  }

  int RefuseExisting(const std::string& path) {
    if (!command_.force && PathExists(path)) return Report(Err(), kExitFailed, path + " " + kOutputExists);
    return kExitOk;
  }

  // --order or --shuffle: the Apply of the shuffle list, on IN's data in memory.
  int ApplyOrder() {
    if (!edits_.order && !edits_.shuffle) return kExitOk;
    std::vector<std::int32_t> order;
    if (edits_.order) {
      order = *edits_.order;
    } else {
      const std::uint64_t seed = edits_.seed ? *edits_.seed : ShuffleRandom::FreshSeed();
      Err() << "tactoria-cli: shuffle seed " << seed << "\n";
      order = ShuffledOrder(edits_.beats, edits_.bars, seed);
    }
    switch (ReorderBeats(Data().bytes(), order, Format().blockAlign)) {
      case ReorderResult::Done:
        return kExitOk;
      case ReorderResult::NoBlocks:
        return Report(Err(), kExitFailed, kShuffleNoBlocks);
      case ReorderResult::OutOfMemory:
        return Report(Err(), kExitFailed, kShuffleOutOfMemory, kRenderFailureTitle);
      default:
        return Report(Err(), kExitUsage, "--order: the order is not a permutation of the beats.");
    }
  }

  RenderSettings Settings() const {
    RenderSettings settings;
    settings.newFrames = newFrames_;
    settings.phaserValue = edits_.phaser;
    settings.reverse = edits_.reverse;
    settings.keepPitch = edits_.keepPitch;
    return settings;
  }

  // The plan of the render, after the beat order is applied to IN's data.
  int Render() {
    // A new order and the stretch work on the whole data at once.
    if (deferred_ && (edits_.order || edits_.shuffle || edits_.keepPitch)) {
      if ((loadError_ = deferred_->WaitAll()) != 0) return ReportLoadError();
    }
    if (int status = ApplyOrder(); status != kExitOk) return status;
    const RenderSettings settings = Settings();
    auto made = PlannedRender::Make(Data().bytes(), Format(), settings);
    if (const auto* failure = std::get_if<RenderFailure>(&made)) {
      return Report(Err(), kExitFailed, RenderFailureMessage(*failure), kRenderFailureTitle);
    }
    plan_.emplace(std::get<PlannedRender>(std::move(made)));
    return kExitOk;
  }

  // The rendered sound, gathered from IN's data (or its stretch) while it is written.
  WaveOutput Rendered() { return RenderedOutput(input_.file, Format(), plan_->plan(), plan_->source()); }

  int Save() {
    // IN's data arrives while the output is written, in the order the render takes it.
    if (deferred_) deferred_->Start(edits_.reverse);
    if (int status = Render(); status != kExitOk) return status;
    WaveOutput output = Rendered();
    if (deferred_) WaitForSource(output);
    const WriteStatus status = SaveWave(output, command_.output, command_.force, streams_.sinks);
    if (loadError_ != 0) return ReportLoadError();
    return ReportSaveResult(Err(), status, command_.output);
  }

  // Each piece of the output waits for the source bytes it is gathered from; a failed read fails
  // the write before the output takes its name.
  void WaitForSource(WaveOutput& output) {
    const RenderPlan& plan = plan_->plan();
    const std::span<const std::byte> source = plan_->source();
    output.data = [this, &plan, source, gather = std::move(output.data)](std::int64_t offset,
                                                                         std::span<std::byte> dest) {
      const auto [begin, end] = plan.SourceBytes(offset, static_cast<std::int64_t>(dest.size()));
      if (loadError_ == 0) loadError_ = deferred_->WaitFor(source.data() + begin, source.data() + end);
      if (loadError_ != 0) {
        std::fill(dest.begin(), dest.end(), std::byte{0});
        return;
      }
      gather(offset, dest);
    };
    output.complete = [this] {
      if (loadError_ == 0) loadError_ = deferred_->WaitAll();
      return loadError_;
    };
  }

  // IN could not be read after all (it shrank, or the disk failed): the open's message, with the reason.
  int ReportLoadError() {
    return Report(Err(), kExitFailed, ReadFailureProblem(FileResult::ChunkUnreadable).message,
                  std::strerror(loadError_), command_.input);
  }

  int Span() {
    const std::string base = SpanBasePath(command_.output);
    const std::optional<std::int32_t> count = RoundToLong(edits_.beats * edits_.bars);
    const std::int32_t beats = count.value_or(0);
    // Every target is checked before any is written.
    if (!command_.force) {
      for (std::int32_t n = 1; n <= beats; ++n) {
        if (int status = RefuseExisting(BeatFileName(base, n)); status != kExitOk) return status;
      }
    }
    if (int status = Render(); status != kExitOk) return status;

    SpanRequest request = MakeSpanRequest(command_.output, edits_.beats, edits_.bars, Rendered());
    request.overwrite = command_.force;
    request.sinks = streams_.sinks;
    SpanHooks hooks;
    if (streams_.showProgress) {
      hooks.beatDone = [&](int handled) {
        Err() << "\rbeat " << handled << "/" << beats << std::flush;
        return false;
      };
    }
    const SpanOutcome outcome = SpanAllOrNothing(request, hooks);
    if (streams_.showProgress && outcome.status != SpanStatus::NoBeats) Err() << "\n";
    switch (outcome.status) {
      case SpanStatus::Completed:
        return kExitOk;
      case SpanStatus::NoBeats:
        return Report(Err(), kExitFailed, kSpanFailure, kSpanFailureTitle);
      default:
        // Nothing of this run is left in place: every target is as it was.
        return ReportSaveResult(Err(), {outcome.failure, outcome.osError}, outcome.failedPath);
    }
  }

  int Mix() {
    LoadResult second = OpenOrImport(command_.second);
    if (!second.wave) {
      return Report(Err(), kExitFailed, second.problem.message, second.problem.title, command_.second);
    }
    const WaveFormat& secondFormat = second.wave->validation.format;
    if (!SameMixFormat(Format(), secondFormat)) {
      return Report(Err(), kExitFailed, kMixFormatMessage, kMixFormatTitle, command_.second);
    }
    if (int status = RefuseExisting(command_.output); status != kExitOk) return status;
    if (int status = ApplyOrder(); status != kExitOk) return status;
    RenderResult rendered = RenderNewSample(Data().bytes(), Format(), Settings());
    if (rendered.failure) {
      return Report(Err(), kExitFailed, RenderFailureMessage(*rendered.failure), kRenderFailureTitle);
    }
    ChunkEntry& target = second.wave->file.Item(second.wave->validation.dataIndex);
    if (!MixSamples(target.bytes(), rendered.buffer.bytes(), secondFormat.blockAlign)) {
      return Report(Err(), kExitFailed, kNoMixMessage, kNoMixTitle);
    }
    rendered.buffer = ByteBuffer();
    input_.file.ClearChunks();
    return ReportSaveResult(Err(), second.wave->file.Save(command_.output, command_.force, streams_.sinks),
                            command_.output);
  }

  const CliCommand& command_;
  const EditOptions& edits_;
  const JobStreams& streams_;
  OpenedWave& input_;
  DeferredFileSource* deferred_;
  int loadError_ = 0;
  std::optional<std::int32_t> newFrames_;
  std::optional<PlannedRender> plan_;
};

// Seconds with up to 6 decimals, trailing zeros dropped: "2", "2.267574".
std::string SecondsText(double seconds) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", seconds);
  std::string out = text;
  while (out.back() == '0') out.pop_back();
  if (out.back() == '.') out.pop_back();
  return out;
}

// The figures of the window's "Original Sample" and "Bpm Calculator" frames and its span preview,
// with the file's own format and the sound's duration.
int Info(const CliCommand& command, const JobStreams& streams, const OpenedWave& input,
         const SourceFormat& source) {
  const WaveFormat& format = input.validation.format;
  const std::int64_t bytes = input.file.Size(input.validation.dataIndex);
  const double frames = static_cast<double>(bytes) / format.blockAlign;
  const double beats = command.edits.beats;
  const double bars = command.edits.bars;
  const double seconds = frames / format.sampleRate;

  const std::string samplesText = DoubleToText(frames);
  const std::string bytesText = LongToText(bytes);
  const std::optional<float> bpm = CalcBpm(static_cast<float>(frames), format.sampleRate,
                                           static_cast<float>(bars), static_cast<float>(beats));
  const std::string bpmText = bpm ? SingleToText(*bpm) : std::string();
  const std::string totalText = DoubleToText(beats * bars);
  // As the window refreshes its figures: the span preview runs once with the total cleared and
  // once with the new total, so a total that cannot divide leaves the whole length showing.
  SpanTexts span;
  UpdateSpanTexts(span, bytesText, "", format.blockAlign);
  UpdateSpanTexts(span, bytesText, totalText, format.blockAlign);

  std::ostream& out = streams.out;
  if (command.json) {
    nlohmann::ordered_json object;
    object["path"] = command.input;
    object["format"] = source.description;
    object["channels"] = format.channels;
    object["sample_rate"] = format.sampleRate;
    object["block_align"] = format.blockAlign;
    object["bits_per_sample"] = format.bitsPerSample;
    object["bytes"] = bytes;
    object["frames"] = bytes / format.blockAlign;
    object["duration"] = JsonNumber(seconds);
    object["bpm"] = JsonNumber(bpmText);
    object["beats"] = JsonNumber(beats);
    object["bars"] = JsonNumber(bars);
    object["total"] = JsonNumber(beats * bars);
    object["span_frames"] = JsonNumber(span.samples);
    object["span_bytes"] = JsonNumber(span.bytes);
    nlohmann::ordered_json chunks = nlohmann::ordered_json::array();
    for (int i = 1; i <= input.file.Count(); ++i) {
      chunks.push_back({{"id", FourCCText(input.file.TypeId(i))}, {"size", input.file.Size(i)}});
    }
    object["chunks"] = std::move(chunks);
    // A path need not be UTF-8; such bytes are replaced rather than refused.
    out << object.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
    return kExitOk;
  }

  out << "Path: " << command.input << "\n"
      << "Format: " << source.description << "\n"
      << "Channels: " << LongToText(format.channels) << "\n"
      << "Frequency: " << LongToText(format.sampleRate) << "\n"
      << "Alignment: " << LongToText(format.blockAlign) << "\n"
      << "Bits: " << LongToText(format.bitsPerSample) << "\n"
      << "Bytes: " << bytesText << "\n"
      << "Samples: " << samplesText << "\n"
      << "Duration: " << SecondsText(seconds) << "\n"
      << "Beats: " << DoubleToText(beats) << "\n"
      << "Bars: " << DoubleToText(bars) << "\n"
      << "Bpm: " << bpmText << "\n"
      << "Total: " << totalText << "\n"
      << "Span samples: " << span.samples << "\n"
      << "Span bytes: " << span.bytes << "\n"
      << "Chunks: " << input.file.Count() << "\n";
  for (int i = 1; i <= input.file.Count(); ++i) {
    out << "  " << FourCCText(input.file.TypeId(i)) << " " << input.file.Size(i) << "\n";
  }
  return kExitOk;
}

}  // namespace

int RefuseExistingOutput(const CliCommand& command, const JobStreams& streams) {
  if (!command.force && PathExists(command.output))
    return Report(streams.err, kExitFailed, command.output + " " + kOutputExists);
  return kExitOk;
}

int WriteOutputFile(const CliCommand& command, const JobStreams& streams, std::span<const std::byte> bytes) {
  return ReportSaveResult(streams.err, SaveBytes(bytes, command.output, command.force, streams.sinks),
                          command.output);
}

std::vector<std::int32_t> ShuffledOrder(double beats, double bars, std::uint64_t seed) {
  const std::optional<std::int32_t> roundedBars = RoundToLong(bars);
  const std::optional<std::int32_t> roundedBeats = RoundToLong(beats);
  ShuffleRows rows = ShuffleRows::Loaded(roundedBars.value_or(0), roundedBeats.value_or(0));
  ShuffleRandom random(seed);
  RandomizeOrder(rows, [&random] { return random(); });
  return rows.order;
}

int RenderSound(const CliCommand& command, const JobStreams& streams, bool original, ByteBuffer& sound,
                WaveFormat& format) {
  LoadResult opened = OpenOrImport(command.input);
  if (!opened.wave) {
    return Report(streams.err, kExitFailed, opened.problem.message, opened.problem.title, command.input);
  }
  format = opened.wave->validation.format;
  return EditJob(command, streams, *opened.wave).RenderSound(original, sound);
}

int ReportProblem(std::ostream& err, int status, std::string_view message, std::string_view title,
                  std::string_view path) {
  return Report(err, status, message, title, path);
}

int ReportWriteStatus(std::ostream& err, const WriteStatus& status, const std::string& path) {
  return ReportSaveResult(err, status, path);
}

int RunJob(const CliCommand& command, const JobStreams& streams) {
  if (command.job == Job::Slice) return RunSlice(command, streams);
  LoadResult opened;
  // A save of a plain wave file reads IN's data while it writes (declared after `opened`, so its
  // reading stops first); anything File > Open would refuse is imported whole.
  std::unique_ptr<DeferredFileSource> deferred;
  if (command.job == Job::Save) deferred = DeferredFileSource::Open(command.input);
  if (deferred) {
    OpenResult plain = OpenWaveSource(*deferred, command.input);
    if (plain.wave) {
      opened.source = PlainWaveFormat(plain.wave->validation.format);
      opened.wave = std::move(plain.wave);
    } else {
      deferred.reset();
    }
  }
  if (!opened.wave) opened = OpenOrImport(command.input);
  if (!opened.wave) {
    return Report(streams.err, kExitFailed, opened.problem.message, opened.problem.title, command.input);
  }
  if (command.job == Job::Info) return Info(command, streams, *opened.wave, opened.source);
  if (command.job == Job::Analyze) return RunAnalyze(command, streams, *opened.wave);
  if (command.job == Job::Play || command.job == Job::Waveform) {
    return Report(streams.err, kExitFailed, "play and waveform are run by the tool's media part.");
  }
  return EditJob(command, streams, *opened.wave, deferred.get()).Run();
}

}  // namespace tactoria::cli
