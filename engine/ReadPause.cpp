#include "ReadPause.h"

#include <QtGlobal>

#include <algorithm>

namespace ReadPause {

std::chrono::milliseconds configured()
{
    return std::chrono::milliseconds(std::max(qEnvironmentVariableIntValue("FILEWRIGHT_READ_PAUSE_MS"), 0));
}

} // namespace ReadPause
