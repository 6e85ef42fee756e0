#pragma once

#include <string>

namespace lupe::wayland {

// The screen-cast portal's permission to see the screen again without
// asking, kept between starts in the user's configuration folder.
class RestoreToken {
 public:
  // $XDG_CONFIG_HOME/tevka-lupe/restore-token, or ~/.config/... without it;
  // empty when neither is set.
  static std::string defaultPath();

  explicit RestoreToken(std::string path) : path_(std::move(path)) {}
  // The kept token; empty when there is none or it cannot be read.
  std::string load() const;
  // Keeps `token`: the folder is made for the user alone, the file written
  // whole under another name and renamed over the old one, so a crash never
  // leaves half a token. False when it cannot be written.
  bool save(const std::string& token) const;
  // Forgets the kept token.
  void forget() const;

 private:
  std::string path_;
};

}  // namespace lupe::wayland
