#include "safe_write.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace korva::project {

void WriteFileReplacing(const std::string& path, std::string_view bytes) {
  const fs::path target(path);
  const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::string tmpl = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(tmpl.data());
  if (fd < 0) throw std::runtime_error("Cannot write " + path + ": " + std::strerror(errno));
  std::size_t done = 0;
  bool ok = true;
  int err = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) {
      ok = false;
      err = errno;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (ok && ::fsync(fd) != 0) {
    ok = false;
    err = errno;
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok) {
    // Keep the permissions of the file being replaced (mkstemp creates it 0600).
    std::error_code ec;
    const auto perms = fs::status(target, ec).permissions();
    if (!ec && perms != fs::perms::unknown) fs::permissions(tmpl, perms, ec);
    else fs::permissions(tmpl, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read, ec);
    if (std::rename(tmpl.c_str(), path.c_str()) != 0) {
      ok = false;
      err = errno;
    }
  }
  if (!ok) {
    std::remove(tmpl.c_str());
    throw std::runtime_error("Cannot write " + path + ": " + std::strerror(err ? err : EIO));
  }
}

}  // namespace korva::project
