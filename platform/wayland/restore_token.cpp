#include "platform/wayland/restore_token.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace lupe::wayland {
namespace {

bool writeAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Makes `folder` and its missing parents; the last one for the user alone.
bool makeFolder(const std::string& folder) {
  for (size_t slash = folder.find('/', 1); slash != std::string::npos;
       slash = folder.find('/', slash + 1))
    ::mkdir(folder.substr(0, slash).c_str(), 0700);
  return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

std::string RestoreToken::defaultPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return std::string(config) + "/tevka-lupe/restore-token";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.config/tevka-lupe/restore-token";
  return {};
}

std::string RestoreToken::load() const {
  if (path_.empty()) return {};
  std::ifstream in(path_);
  std::string token((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  while (!token.empty() && (token.back() == '\n' || token.back() == '\r')) token.pop_back();
  // A token is a short printable word; anything else is not ours to send.
  if (token.size() > 256) return {};
  for (const char c : token)
    if (c < 0x21 || c > 0x7e) return {};
  return token;
}

bool RestoreToken::save(const std::string& token) const {
  const size_t slash = path_.rfind('/');
  if (path_.empty() || slash == std::string::npos || !makeFolder(path_.substr(0, slash)))
    return false;
  const std::string temporary = path_ + ".new";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const bool written = writeAll(fd, token + "\n") && ::fsync(fd) == 0;
  if (::close(fd) != 0 || !written || std::rename(temporary.c_str(), path_.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

void RestoreToken::forget() const {
  if (!path_.empty()) ::unlink(path_.c_str());
}

}  // namespace lupe::wayland
