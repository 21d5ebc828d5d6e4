// The arguments with which the filewright executable starts the application
// rather than a command: "--selftest", wherever it stands, and the options
// that Qt's application objects take for themselves ("-platform offscreen",
// "-style Fusion", "-session ID", "--reverse"…), with their values.
#pragma once

#include <QString>

#include <optional>

namespace StartOptions {

// The first argument after the program's name that is neither, or nothing
// when the application may start with these arguments.
std::optional<QString> firstForeign(int argc, char **argv);

} // namespace StartOptions
