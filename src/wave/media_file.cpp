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
  return Append(typeId, std::move(buffer));
}

FileResult vbMediaFile::Append(std::uint32_t typeId, ByteBuffer&& buffer) {
  try {
    if (buffer.empty()) {
      list_.push_back(Slot{typeId, kNoEntry});
      return FileResult::Success;
    }
    if (entries_.size() >= kNoEntry) return FileResult::OutOfMemory;
    entries_.push_back(ChunkEntry{typeId, std::move(buffer)});
    try {
      list_.push_back(Slot{typeId, static_cast<std::uint32_t>(entries_.size() - 1)});
    } catch (const std::bad_alloc&) {
      entries_.pop_back();
      throw;
    }
  } catch (const std::bad_alloc&) {
    return FileResult::OutOfMemory;
  }
  return FileResult::Success;
}

ChunkEntry& vbMediaFile::EntryOf(std::size_t position) const {
  Slot& slot = list_[position];
  if (slot.entry == kNoEntry) {
    // Made on first request; a failure here is a std::bad_alloc as for any other container.
    entries_.push_back(ChunkEntry{slot.typeId, ByteBuffer{}});
    slot.entry = static_cast<std::uint32_t>(entries_.size() - 1);
  }
  return entries_[slot.entry];
}

std::uint32_t vbMediaFile::TypeId(int index) const {
  if (index < 1 || index > Count()) throw std::out_of_range("chunk index out of range");
  const Slot& slot = list_[static_cast<std::size_t>(index - 1)];
  return slot.entry == kNoEntry ? slot.typeId : entries_[slot.entry].typeId;
}

std::int32_t vbMediaFile::Size(int index) const {
  if (index < 1 || index > Count()) throw std::out_of_range("chunk index out of range");
  const Slot& slot = list_[static_cast<std::size_t>(index - 1)];
  return slot.entry == kNoEntry ? 0 : entries_[slot.entry].size();
}

bool vbMediaFile::Insert(int index, std::uint32_t typeId, const std::byte* data, std::int64_t size) {
  if (index < 1 || index > Count()) return true;
  if (!ValidChunkSize(size) || data == nullptr) return true;
  auto buffer = ByteBuffer::CopyOf({data, static_cast<std::size_t>(size)});
  if (!buffer) return true;
  if (entries_.size() >= kNoEntry) return true;
  try {
    entries_.push_back(ChunkEntry{typeId, std::move(*buffer)});
    try {
      list_.insert(list_.begin() + (index - 1),
                   Slot{typeId, static_cast<std::uint32_t>(entries_.size() - 1)});
    } catch (const std::bad_alloc&) {
      entries_.pop_back();
      return true;
    }
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
  const auto position = static_cast<std::size_t>(index - 1);
  // The entry's place stays (others are found by their place), its buffer goes.
  if (list_[position].entry != kNoEntry) entries_[list_[position].entry].data = ByteBuffer();
  list_.erase(list_.begin() + static_cast<std::ptrdiff_t>(position));
}

const ChunkEntry& vbMediaFile::Item(int index) const {
  if (index < 1 || index > Count()) throw std::out_of_range("chunk index out of range");
  return EntryOf(static_cast<std::size_t>(index - 1));
}

ChunkEntry& vbMediaFile::Item(int index) {
  if (index < 1 || index > Count()) throw std::out_of_range("chunk index out of range");
  return EntryOf(static_cast<std::size_t>(index - 1));
}

}  // namespace tactoria
