#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>

#include "byte_buffer.h"
#include "byte_source.h"
#include "file_result.h"
#include "safe_write.h"

namespace tactoria {

// One chunk of a RIFF file: its type id as read (no case folding) and its own data buffer.
struct ChunkEntry {
  std::uint32_t typeId = 0;
  ByteBuffer data;

  std::int32_t size() const { return static_cast<std::int32_t>(data.size()); }
  std::span<const std::byte> bytes() const { return data.bytes(); }
  std::span<std::byte> bytes() { return data.bytes(); }
};

// The in-memory form of one RIFF file: the 12-byte header and a 1-based list of chunks,
// each owning its buffer. A chunk of 0 bytes costs 8 bytes of list until Item() is asked for it,
// so a file of millions of empty chunks reads in little more memory than its size.
class vbMediaFile {
 public:
  vbMediaFile() = default;
  vbMediaFile(vbMediaFile&&) noexcept = default;
  vbMediaFile& operator=(vbMediaFile&&) noexcept = default;
  vbMediaFile(const vbMediaFile&) = delete;
  vbMediaFile& operator=(const vbMediaFile&) = delete;

  // Appends a copy of `size` bytes at `data`. ChunkUnreadable (3) for a size below 1 or a null
  // address, OutOfMemory (5) when no buffer can be had; the list is unchanged on failure.
  FileResult Add(std::uint32_t typeId, const std::byte* data, std::int64_t size);
  // Appends `buffer` itself, without copying it (for large sample data). Same codes as above.
  FileResult Add(std::uint32_t typeId, ByteBuffer&& buffer);

  // Inserts a copy at 1-based `index` (1..Count). Returns true when the insertion FAILED.
  bool Insert(int index, std::uint32_t typeId, const std::byte* data, std::int64_t size);

  // Removes entry `index`; a list of one entry is cleared whatever the index.
  // An index outside 1..Count changes nothing.
  void Delete(int index);

  // Entry at 1-based `index`; throws std::out_of_range outside 1..Count.
  const ChunkEntry& Item(int index) const;
  ChunkEntry& Item(int index);

  int Count() const { return static_cast<int>(list_.size()); }
  // The type id and size of entry `index` without making its entry; same range as Item.
  std::uint32_t TypeId(int index) const;
  std::int32_t Size(int index) const;

  std::uint32_t FileHeader() const { return fileHeader_; }
  void FileHeader(std::uint32_t value) { fileHeader_ = value; }
  std::uint32_t FileType() const { return fileType_; }
  void FileType(std::uint32_t value) { fileType_ = value; }
  // The RIFF size field as last read (0 in a new object).
  std::uint32_t HeaderSize() const { return headerSize_; }
  const std::string& FileName() const { return fileName_; }
  // Names an object built in memory (an imported sound) after the file it came from.
  void FileName(const std::string& name) { fileName_ = name; }

  // Reads the whole file into this object's header and list (appended after any entries held).
  // On failure the list is cleared and FileName keeps its former value.
  FileResult OpenFromFile(const std::string& path);
  // The same from any byte source; FileName becomes `name` on success.
  FileResult OpenFromSource(ByteSource& source, const std::string& name);

  // Writes the header and every chunk (each odd-sized chunk followed by a zero pad byte) to
  // `path` (FileName when empty). The data goes to a temporary file in the target's folder that
  // replaces the target only once every byte is on disk, so a failure never harms an existing
  // file. Without `overWrite` an existing target gives CannotCreate (8).
  FileResult SaveToFile(const std::string& path = {}, bool overWrite = false);
  // The same, with the operating system's reason on failure and the sink of the temporary file
  // open to replacement.
  WriteStatus Save(const std::string& path, bool overWrite, const SinkFactory& sinks = {});
  // Writes the whole file into `file` without flushing or committing it (for a file written
  // together with others); a failure is kept as the file's status.
  const WriteStatus& Write(PendingFile& file) const;
  // The length of the file as written, pad bytes included.
  std::uint64_t RiffLength() const;

  void ClearChunks() {
    list_.clear();
    entries_.clear();
  }

 private:
  static constexpr std::uint32_t kNoEntry = 0xFFFFFFFFu;
  // One list position: the chunk's type id, and its entry once it has one.
  struct Slot {
    std::uint32_t typeId;
    std::uint32_t entry;
  };
  FileResult ReadChunks(ByteSource& source);
  FileResult Append(std::uint32_t typeId, ByteBuffer&& buffer);
  ChunkEntry& EntryOf(std::size_t position) const;

  std::uint32_t fileHeader_ = 0;
  std::uint32_t headerSize_ = 0;
  std::uint32_t fileType_ = 0;
  // Both are deques: entries never move, so a reference from Item stays good while others are added.
  mutable std::deque<Slot> list_;
  mutable std::deque<ChunkEntry> entries_;
  std::string fileName_;
};

}  // namespace tactoria
