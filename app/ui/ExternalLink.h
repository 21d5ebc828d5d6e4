// Opens a web address or a "mailto" link with the desktop's program for it.
// When the desktop cannot (no web browser or mail program is set up), a
// message over the window says so and names the address, instead of
// nothing happening.
#pragma once

#include <QUrl>

class QWidget;

namespace ExternalLink {

// True when the desktop took the link. The message belongs to parent's
// window, or to the active window when parent is null.
bool open(const QUrl &url, QWidget *parent = nullptr);

} // namespace ExternalLink
