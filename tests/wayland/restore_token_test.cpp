// The portal's permission kept between starts: read back only as a short
// printable word, written whole or not at all, forgotten on request.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/wayland/restore_token.hpp"

namespace lupe::wayland {
namespace {

std::string textOf(const std::string& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(RestoreToken, KeepsAWholeShortWordOrNothing) {
  struct Case {
    const char* what;
    std::optional<std::string> before;  // the file's text; none: not even its folder
    std::optional<std::string> saved;
    bool newNameTaken = false;  // a folder where the new file is written first
    bool forget = false;
    bool saves = true;
    std::string loaded;
  } cases[] = {
      {"no folder yet", std::nullopt, "a1-b2", false, false, true, "a1-b2"},
      {"nothing kept", std::nullopt, std::nullopt, false, false, true, ""},
      {"an empty file", "", std::nullopt, false, false, true, ""},
      {"its line end", "a1-b2\r\n", std::nullopt, false, false, true, "a1-b2"},
      {"a space", "a1 b2\n", std::nullopt, false, false, true, ""},
      {"a control character", "a1\x01", std::nullopt, false, false, true, ""},
      {"the longest", std::string(256, 'x'), std::nullopt, false, false, true, std::string(256, 'x')},
      {"one too long", std::string(257, 'x'), std::nullopt, false, false, true, ""},
      {"over an old one", "old\n", "new", false, false, true, "new"},
      {"the new file's name taken", "old\n", "new", true, false, false, "old"},
      {"forgotten", "old\n", std::nullopt, false, true, true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    char pattern[] = "/tmp/restore-token-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string root = pattern, folder = root + "/config/tevka-lupe",
                      path = folder + "/restore-token", link = root + "/old";
    if (c.before) {
      std::filesystem::create_directories(folder);
      std::ofstream(path) << *c.before;
      // The old file's own inode: it must never be written into.
      ASSERT_EQ(::link(path.c_str(), link.c_str()), 0);
    }
    if (c.newNameTaken) std::filesystem::create_directory(path + ".new");
    const RestoreToken token(path);
    if (c.saved) {
      EXPECT_EQ(token.save(*c.saved), c.saves);
    }
    if (c.forget) token.forget();
    EXPECT_EQ(token.load(), c.loaded);
    if (c.before) {
      EXPECT_EQ(textOf(link), *c.before);
    }
    if (c.saved && c.saves) {
      EXPECT_EQ(textOf(path), *c.saved + "\n");
      EXPECT_FALSE(std::filesystem::exists(path + ".new"));
      struct stat made {};
      ASSERT_EQ(::stat(folder.c_str(), &made), 0);
      if (!c.before) {
        EXPECT_EQ(made.st_mode & 0777, 0700u);
      }
    }
    if (c.forget) {
      EXPECT_FALSE(std::filesystem::exists(path));
    }
    std::filesystem::remove_all(root);
  }
}

}  // namespace
}  // namespace lupe::wayland
