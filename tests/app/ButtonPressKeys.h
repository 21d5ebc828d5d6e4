// A platform theme whose buttons are pressed by Return and Enter as well as
// by Space, as on desktops whose theme says so (GTK's): for one scope, the
// application's theme is one that answers as the one before it, except for
// the keys that press a button.
#pragma once

#include <memory>

class QPlatformTheme;

class ButtonPressKeys
{
public:
    ButtonPressKeys();
    ~ButtonPressKeys();
    ButtonPressKeys(const ButtonPressKeys &) = delete;
    ButtonPressKeys &operator=(const ButtonPressKeys &) = delete;

    // Whether the application's theme now lists Return among the keys that
    // press a button.
    static bool returnPresses();

private:
    QPlatformTheme *const m_before;
    std::unique_ptr<QPlatformTheme> m_theme;
};
