// Whole-file reading and safe writing.
//
// Every writer of the program goes through WriteFileSafely: the bytes go to a
// temporary file in the destination's folder, are flushed to the disk, and the
// temporary file is then renamed over the destination. A failure at any step
// leaves the old file exactly as it was and says why.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace mv {

struct FileResult {
  bool ok = false;
  std::string reason;  // empty on success; a sentence fragment naming the step that failed
  explicit operator bool() const { return ok; }
};

FileResult WriteFileSafely(const std::string& path, std::string_view bytes);

enum class ReadStatus { Ok, Missing, TooLarge, Failed };

struct FileBytes {
  ReadStatus status = ReadStatus::Failed;
  std::string bytes;   // the whole file when Ok
  std::string reason;  // why not, otherwise
};

// Reads the whole file when it holds at most maxBytes bytes; a larger file is
// TooLarge (and its bytes are not kept).
FileBytes ReadFileBytes(const std::string& path, std::size_t maxBytes);

}  // namespace mv
