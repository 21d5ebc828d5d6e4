// A test hook for the tests that stop an export in the middle of a file:
// with FILEWRIGHT_READ_PAUSE_MS set to a number of milliseconds, every piece
// of a file that goes into an archive is read only after that pause, as from
// a slow disk or network share, so that one small file takes as long to copy
// as a large scan would. Unset, it costs one look at the environment per file.
#pragma once

#include <chrono>

namespace ReadPause {

// The pause before each piece of a file is read; zero when none is set.
std::chrono::milliseconds configured();

} // namespace ReadPause
