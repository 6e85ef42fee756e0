#include "lupe.hpp"

#include <cstdlib>
#include <filesystem>

namespace lupe::e2e {

namespace {

std::string fromEnvironment(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value && *value ? value : fallback;
}

}  // namespace

std::string lupeExecutable() { return fromEnvironment("LUPE_EXECUTABLE", LUPE_EXECUTABLE_BUILT); }

std::string patternWindowExecutable() { return LUPE_PATTERN_WINDOW; }

std::string artifactPath(const std::string& fileName) {
  const std::filesystem::path folder = fromEnvironment("LUPE_E2E_ARTIFACTS", LUPE_E2E_ARTIFACTS);
  std::filesystem::create_directories(folder);
  return (folder / fileName).string();
}

std::unique_ptr<ChildProcess> launchLupe(const EnvironmentChanges& environment) {
  return std::make_unique<ChildProcess>(lupeExecutable(), std::vector<std::string>{}, environment);
}

}  // namespace lupe::e2e
