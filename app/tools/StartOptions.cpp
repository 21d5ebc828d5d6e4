#include "StartOptions.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace StartOptions {

namespace {

// Qt's own options, as its application objects and platform plugins read
// them: with one dash or two, the value in the next argument.
constexpr std::array<std::string_view, 16> takingValues{
    "platform", "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry", "geometry",
    "qwindowtitle", "title", "qwindowicon", "icon", "session", "style",
    "stylesheet", "display", "name", "qmljsdebugger"};
constexpr std::array<std::string_view, 3> standingAlone{"reverse", "widgetcount", "testability"};
// Those Qt also takes as "-option=value".
constexpr std::array<std::string_view, 4> takingJoinedValues{"session", "style", "stylesheet", "qmljsdebugger"};

template<std::size_t size>
bool among(const std::array<std::string_view, size> &names, std::string_view name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

std::optional<QString> firstForeign(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument == "--selftest")
            continue;
        std::string_view name = argument;
        if (name.starts_with("--"))
            name.remove_prefix(2);
        else if (name.starts_with("-"))
            name.remove_prefix(1);
        else
            return QString::fromLocal8Bit(argv[i]);
        if (among(standingAlone, name))
            continue;
        if (among(takingValues, name)) {
            ++i; // its value, whatever it looks like
            continue;
        }
        if (const std::size_t equals = name.find('=');
            equals != std::string_view::npos && among(takingJoinedValues, name.substr(0, equals)))
            continue;
        return QString::fromLocal8Bit(argv[i]);
    }
    return std::nullopt;
}

} // namespace StartOptions
