#include "calculators/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace mv::calc {

namespace {

bool Fail(std::string* reason, const char* what, int err) {
  if (reason) *reason = std::string(what) + ": " + std::strerror(err);
  return false;
}

}  // namespace

bool WriteFileReplacing(const std::string& path, std::string_view bytes, std::string* reason) {
  if (path.empty()) return Fail(reason, "no file name", EINVAL);
  const std::string tmp = path + ".tmp-" + std::to_string(::getpid());
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return Fail(reason, "cannot create the file", errno);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = n < 0 ? errno : EIO;
      ::close(fd);
      ::unlink(tmp.c_str());
      return Fail(reason, "cannot write the file", err);
    }
    done += static_cast<std::size_t>(n);
  }
  const int synced = ::fsync(fd);
  const int syncErr = errno;
  const int closed = ::close(fd);
  if (synced != 0 || closed != 0) {
    const int err = synced != 0 ? syncErr : errno;
    ::unlink(tmp.c_str());
    return Fail(reason, "cannot finish the file", err);
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(tmp.c_str());
    return Fail(reason, "cannot replace the file", err);
  }
  return true;
}

}  // namespace mv::calc
