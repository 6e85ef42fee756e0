#pragma once

#include <memory>
#include <string>

#include "process.hpp"

namespace lupe::e2e {

// The magnifier under test: $LUPE_EXECUTABLE when set (a different build, a
// wrapper that runs the Windows build), else the program built with these
// tests.
std::string lupeExecutable();

// The program that shows the test pattern in a Wayland session.
std::string patternWindowExecutable();

// A path for a file the tests leave for inspection (screenshots), in
// $LUPE_E2E_ARTIFACTS or the build's artifacts folder, which is created.
std::string artifactPath(const std::string& fileName);

// Starts the magnifier with the inherited environment plus `environment`.
std::unique_ptr<ChildProcess> launchLupe(const EnvironmentChanges& environment = {});

}  // namespace lupe::e2e
