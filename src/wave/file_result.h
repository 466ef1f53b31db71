#pragma once

namespace tactoria {

// Results of the chunk list and of reading and writing RIFF files. The numbers
// are part of the messages the program shows ("Error: 5"), so they are fixed.
enum class FileResult : int {
  Success = 0,
  CannotOpen = 1,        // the file cannot be opened for reading
  HeaderUnreadable = 2,  // fewer than 12 bytes at the start
  ChunkUnreadable = 3,   // a chunk header or data cannot be read in full, or is larger than the file
  WriteFailed = 4,       // a write failed; the target is left as it was
  OutOfMemory = 5,       // no buffer for a chunk, or an invalid chunk size
  CannotReplace = 7,     // overwrite requested: the file cannot be created or replaced
  CannotCreate = 8,      // no overwrite: the file exists or cannot be created
  InvalidFileSize = 9,   // the file's length does not match its RIFF size field
};

constexpr int Code(FileResult result) {
  return static_cast<int>(result);
}

// What the program tells the user about a failed write, and about memory running out.
inline constexpr const char* kWriteFailed = "Failed to write data to the file.";
inline constexpr const char* kCreateFailed = "Failed to create the file.";
inline constexpr const char* kOutOfMemory = "Out of memory.";
inline constexpr const char* kOutOfMemoryTitle = "Error: 5";

}  // namespace tactoria
