// Whole-file reading and safe writing.
//
// Every writer of the program goes through WriteFileSafely: the bytes go to a
// temporary file in the destination's folder, are flushed to the disk, and the
// temporary file is then renamed over the destination. A failure at any step
// leaves the old file exactly as it was and says why.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

struct FileResult {
  bool ok = false;
  std::string reason;  // empty on success; a sentence fragment naming the step that failed
  explicit operator bool() const { return ok; }
};

FileResult WriteFileSafely(const std::string& path, std::string_view bytes);

// Text that an encoder appends to. With a sink, each full megabyte goes on to the
// sink as the encoder calls Spill, so a file of any size is written in bounded
// memory; without one the whole text stays (for tests and small files).
class ChunkedOutput {
 public:
  ChunkedOutput() = default;
  explicit ChunkedOutput(std::function<bool(std::string_view)> sink) : sink_(std::move(sink)) {}
  std::string& text() { return buf_; }
  void Spill() {
    if (sink_ && buf_.size() >= kSpillBytes) Flush();
  }
  // Hands what is held to the sink; false once any piece failed.
  bool Flush() {
    if (sink_ && !buf_.empty()) {
      ok_ = ok_ && sink_(buf_);
      buf_.clear();
    }
    return ok_;
  }
  std::string Take() { return std::move(buf_); }

 private:
  static constexpr std::size_t kSpillBytes = std::size_t{1} << 20;
  std::function<bool(std::string_view)> sink_;
  std::string buf_;
  bool ok_ = true;
};

// The same safe write, with the bytes produced piece by piece by encode.
FileResult WriteFileSafelyChunked(const std::string& path, const std::function<void(ChunkedOutput&)>& encode);

// The path in the folder that no file and none of the paths already given takes: the
// name itself, else "stem (2).ext", "stem (3).ext" and so on (bounded: past that many
// the last is taken). A folder that cannot be looked into takes the name as it is; its
// write will say why it failed.
std::string FreePathIn(const std::string& folder, const std::string& name,
                       const std::vector<std::string>& given = {});

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
