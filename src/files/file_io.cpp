#include "files/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <vector>

namespace mv {

namespace {

std::string ErrnoText(int err) {
  return std::strerror(err);
}

FileResult Failure(const std::string& step, int err) {
  return FileResult{false, step + ": " + ErrnoText(err)};
}

// The mode a new file gets: that of the file it replaces, else 0666 less the umask.
mode_t ModeFor(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool WriteAll(int fd, std::string_view bytes, int& err) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Makes the rename itself durable; a folder that cannot be synced is no failure.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

FileResult WriteFileSafely(const std::string& path, std::string_view bytes) {
  return WriteFileSafelyChunked(path, [&](ChunkedOutput& out) {
    out.text().append(bytes);
  });
}

FileResult WriteFileSafelyChunked(const std::string& path, const std::function<void(ChunkedOutput&)>& encode) {
  namespace fs = std::filesystem;
  if (path.empty()) return FileResult{false, "no file name was given"};
  const fs::path target(path);
  std::error_code ec;
  if (fs::is_directory(target, ec)) return FileResult{false, "a folder of that name is in the way"};
  const std::string folder = target.has_parent_path() ? target.parent_path().string() : std::string(".");
  std::string tmpl = (fs::path(folder) / ("." + target.filename().string() + ".XXXXXX")).string();
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return Failure("could not create a temporary file in " + folder, errno);
  const std::string tmp(name.data());
  int err = 0;
  auto abandon = [&](const std::string& step) {
    ::close(fd);
    ::unlink(tmp.c_str());
    return Failure(step, err);
  };
  {
    ChunkedOutput out([&](std::string_view piece) { return WriteAll(fd, piece, err); });
    encode(out);
    if (!out.Flush()) return abandon("could not write " + tmp);
  }
  if (::fchmod(fd, ModeFor(path)) != 0) {
    err = errno;
    return abandon("could not set the permissions of " + tmp);
  }
  if (::fsync(fd) != 0) {
    err = errno;
    return abandon("could not flush " + tmp);
  }
  if (::close(fd) != 0) {
    err = errno;
    ::unlink(tmp.c_str());
    return Failure("could not close " + tmp, err);
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    err = errno;
    ::unlink(tmp.c_str());
    return Failure("could not replace " + path, err);
  }
  SyncFolder(folder);
  return FileResult{true, {}};
}

FileBytes ReadFileBytes(const std::string& path, std::size_t maxBytes) {
  FileBytes out;
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) {
    const int err = errno;
    out.status = err == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    out.reason = "could not open " + path + ": " + ErrnoText(err);
    return out;
  }
  std::string data;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      out.reason = "could not read " + path + ": " + ErrnoText(err);
      return out;
    }
    if (n == 0) break;
    if (data.size() + static_cast<std::size_t>(n) > maxBytes) {
      ::close(fd);
      out.status = ReadStatus::TooLarge;
      out.reason = path + " is larger than " + std::to_string(maxBytes) + " bytes";
      return out;
    }
    data.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  out.status = ReadStatus::Ok;
  out.bytes = std::move(data);
  return out;
}

std::string FreePathIn(const std::string& folder, const std::string& name,
                       const std::vector<std::string>& given) {
  namespace fs = std::filesystem;
  const fs::path n(name);
  const std::string stem = n.stem().string(), extension = n.extension().string();
  std::string candidate = (fs::path(folder) / name).string();
  for (int k = 2; k <= 10'000; ++k) {
    std::error_code ec;
    const bool exists = fs::exists(candidate, ec) && !ec;
    if (!exists && std::find(given.begin(), given.end(), candidate) == given.end()) break;
    candidate = (fs::path(folder) / (stem + " (" + std::to_string(k) + ")" + extension)).string();
  }
  return candidate;
}

}  // namespace mv
