#pragma once

#include <optional>

namespace app {

// Reads the command line before any display is opened, so that --help and --version work from a
// plain terminal or a build machine. Returns the exit code when the program is to end now (after
// printing the help, the version, or the usage for an option it does not know), nothing when the
// window is to start. Options the windowing toolkit takes for itself (-platform, -style, ...) pass.
std::optional<int> handleCommandLine(int argc, char *argv[]);

} // namespace app
