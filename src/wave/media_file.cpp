#include "media_file.h"

#include <limits>
#include <new>
#include <stdexcept>

namespace tactoria {
namespace {

// A chunk's size travels as a signed 32-bit value, so larger buffers cannot be held.
bool ValidChunkSize(std::int64_t size) {
  return size >= 1 && size <= std::numeric_limits<std::int32_t>::max();
}

}  // namespace

FileResult vbMediaFile::Add(std::uint32_t typeId, const std::byte* data, std::int64_t size) {
  if (!ValidChunkSize(size) || data == nullptr) return FileResult::ChunkUnreadable;
  auto buffer = ByteBuffer::CopyOf({data, static_cast<std::size_t>(size)});
  if (!buffer) return FileResult::OutOfMemory;
  return Add(typeId, std::move(*buffer));
}

FileResult vbMediaFile::Add(std::uint32_t typeId, ByteBuffer&& buffer) {
  if (!ValidChunkSize(static_cast<std::int64_t>(buffer.size()))) return FileResult::ChunkUnreadable;
  try {
    chunks_.push_back(ChunkEntry{typeId, std::move(buffer)});
  } catch (const std::bad_alloc&) {
    return FileResult::OutOfMemory;
  }
  return FileResult::Success;
}

bool vbMediaFile::Insert(int index, std::uint32_t typeId, const std::byte* data, std::int64_t size) {
  if (index < 1 || index > Count()) return true;
  if (!ValidChunkSize(size) || data == nullptr) return true;
  auto buffer = ByteBuffer::CopyOf({data, static_cast<std::size_t>(size)});
  if (!buffer) return true;
  try {
    chunks_.insert(chunks_.begin() + (index - 1), ChunkEntry{typeId, std::move(*buffer)});
  } catch (const std::bad_alloc&) {
    return true;
  }
  return false;
}

void vbMediaFile::Delete(int index) {
  if (Count() == 1) {
    ClearChunks();
    return;
  }
  if (index < 1 || index > Count()) return;
  chunks_.erase(chunks_.begin() + (index - 1));
}

const ChunkEntry& vbMediaFile::Item(int index) const {
  if (index < 1 || index > Count()) throw std::out_of_range("chunk index out of range");
  return chunks_[static_cast<std::size_t>(index - 1)];
}

ChunkEntry& vbMediaFile::Item(int index) {
  if (index < 1 || index > Count()) throw std::out_of_range("chunk index out of range");
  return chunks_[static_cast<std::size_t>(index - 1)];
}

}  // namespace tactoria
