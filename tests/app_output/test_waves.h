#pragma once

#include <sndfile.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "fake_window.h"

// Readable failure output for Qt strings.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace tactoria::testing {

using Bytes = std::vector<std::uint8_t>;

struct Chunk {
  std::string id;
  Bytes data;
  friend bool operator==(const Chunk&, const Chunk&) = default;
};

inline void PutLE(Bytes& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// 16-bit little-endian samples as bytes.
inline Bytes Samples16(const std::vector<int>& samples) {
  Bytes out;
  for (int s : samples) PutLE(out, static_cast<std::uint16_t>(s), 2);
  return out;
}

inline Chunk FmtChunk(int channels, int rate, int bits, int avgOverride = 0) {
  const int align = channels * bits / 8;
  Bytes fmt;
  PutLE(fmt, 1, 2);
  PutLE(fmt, static_cast<std::uint32_t>(channels), 2);
  PutLE(fmt, static_cast<std::uint32_t>(rate), 4);
  PutLE(fmt, static_cast<std::uint32_t>(avgOverride ? avgOverride : rate * align), 4);
  PutLE(fmt, static_cast<std::uint32_t>(align), 2);
  PutLE(fmt, static_cast<std::uint32_t>(bits), 2);
  return {"fmt ", fmt};
}

// Writes a RIFF file by hand (odd chunks padded), independent of the program's writer.
inline void WriteRiff(const QString& path, const std::vector<Chunk>& chunks, const char* header = "RIFF",
                      const char* type = "WAVE") {
  Bytes body(type, type + 4);
  for (const Chunk& c : chunks) {
    body.insert(body.end(), c.id.begin(), c.id.end());
    PutLE(body, static_cast<std::uint32_t>(c.data.size()), 4);
    body.insert(body.end(), c.data.begin(), c.data.end());
    if (c.data.size() % 2) body.push_back(0);
  }
  Bytes file(header, header + 4);
  PutLE(file, static_cast<std::uint32_t>(body.size()), 4);
  file.insert(file.end(), body.begin(), body.end());
  QFile out(path);
  out.open(QIODevice::WriteOnly);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<qint64>(file.size()));
}

inline void WriteWave(const QString& path, int channels, int rate, const Bytes& data) {
  WriteRiff(path, {FmtChunk(channels, rate, 16), {"data", data}});
}

inline Bytes ReadBytes(const QString& path) {
  QFile in(path);
  if (!in.open(QIODevice::ReadOnly)) return {};
  const QByteArray all = in.readAll();
  return Bytes(all.begin(), all.end());
}

// The header id and chunks of a RIFF file, read by hand.
inline std::pair<std::string, std::vector<Chunk>> ReadRiff(const QString& path) {
  const Bytes file = ReadBytes(path);
  std::vector<Chunk> chunks;
  if (file.size() < 12) return {};
  std::size_t at = 12;
  while (at + 8 <= file.size()) {
    const std::uint32_t size =
        file[at + 4] | file[at + 5] << 8 | file[at + 6] << 16 | std::uint32_t{file[at + 7]} << 24;
    if (at + 8 + size > file.size()) break;
    chunks.push_back({std::string(file.begin() + at, file.begin() + at + 4),
                      Bytes(file.begin() + at + 8, file.begin() + at + 8 + size)});
    at += 8 + size + (size % 2);
  }
  return {std::string(file.begin(), file.begin() + 4), chunks};
}

// 16-bit samples and the format as libsndfile reads them.
struct SndRead {
  bool ok = false;
  int channels = 0, rate = 0;
  std::vector<short> samples;
};
inline SndRead ReadSnd(const QString& path) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_READ, &info);
  SndRead result;
  if (!file) return result;
  result.samples.resize(static_cast<std::size_t>(info.frames * info.channels));
  result.ok = sf_readf_short(file, result.samples.data(), info.frames) == info.frames &&
              (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16;
  result.channels = info.channels;
  result.rate = info.samplerate;
  sf_close(file);
  return result;
}

inline QStringList FilesIn(const QString& folder) {
  return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

// The open file's sound data as it stands in memory.
inline Bytes OpenData(FakeWindow& window) {
  const auto data = window.CurrentWave()->Item(window.DataIndex()).bytes();
  const auto* first = reinterpret_cast<const std::uint8_t*>(data.data());
  return Bytes(first, first + data.size());
}

// After every command: the window takes input again and the arrow pointer is back.
inline bool WindowReleased(FakeWindow& window) {
  return window.widget.isEnabled() && QApplication::overrideCursor() == nullptr;
}

}  // namespace tactoria::testing
