#include "wave_output.h"

#include <algorithm>
#include <cerrno>

#include "byte_buffer.h"
#include "four_cc.h"
#include "riff_layout.h"

namespace tactoria {
namespace {

// Data is gathered and written in pieces of this size: large enough for few calls, small
// enough to stay out of the way of the sound itself.
constexpr std::int64_t kPiece = std::int64_t{1} << 20;

}  // namespace

const WriteStatus& WriteWave(PendingFile& file, const WaveOutput& output, std::int64_t offset,
                             std::int64_t length) {
  if (!file.ok()) return file.status();
  const auto dataSize = static_cast<std::uint64_t>(length);
  const std::uint64_t fileLength =
      kRiffHeaderSize + kChunkHeaderSize + WaveFormat::kSize + kChunkHeaderSize + dataSize + (dataSize & 1);
  if (length < 0 || fileLength > kMaxRiffLength) return file.Fail(FileResult::WriteFailed, EFBIG);
  auto piece = ByteBuffer::Allocate(static_cast<std::size_t>(std::min(length, kPiece)));
  if (!piece) return file.Fail(FileResult::OutOfMemory, ENOMEM);

  StagedWriter writer(file.sink());
  int error = writer.Write(RiffHeader(output.fileHeader, fileLength, output.fileType));
  if (error == 0) error = writer.Write(ChunkHeader(kFmtId, WaveFormat::kSize));
  if (error == 0) error = writer.Write(output.format.ToBytes());
  if (error == 0) error = writer.Write(ChunkHeader(kDataId, dataSize));
  for (std::int64_t done = 0; done < length && error == 0;) {
    const std::int64_t n = std::min(length - done, static_cast<std::int64_t>(piece->size()));
    const std::span<std::byte> bytes = piece->bytes().first(static_cast<std::size_t>(n));
    output.data(offset + done, bytes);
    error = writer.Write(bytes);
    done += n;
  }
  if (error == 0 && output.complete) error = output.complete();
  if (error == 0 && (dataSize & 1) != 0) error = writer.Write(kPadByte);
  if (error == 0) error = writer.Flush();
  if (error != 0) return file.Fail(FileResult::WriteFailed, error);
  return file.status();
}

WriteStatus SaveWave(const WaveOutput& output, const std::string& path, bool overwrite,
                     const SinkFactory& sinks) {
  PendingFile file(path, overwrite, sinks);
  if (!WriteWave(file, output, 0, output.dataBytes).ok()) return file.status();
  if (!file.Finish(true).ok() || !file.Commit().ok()) return file.status();
  SyncDirectory(file.directory());
  return {};
}

}  // namespace tactoria
