// What support needs to know about this installation, and the way to write
// to support. The text names no file, folder, path or rule and quotes no
// message: folders and rules are counts, a failure is its date and a code.
#pragma once

#include <QString>
#include <QUrl>

class AppModel;

namespace Diagnostics {

inline constexpr const char *website = "https://filewright.example.org";
inline constexpr const char *supportAddress = "support@filewright.example.org";

// Version, system, languages, model state, counts, the wait before acting,
// the newest failures and the crash and hang lines, one fact a line, joined
// with "\n" and without a final line feed.
QString text(const AppModel &model);

// Opens a new mail to support in the user's mail program.
void mailSupport();
// The mail link: the support address with the subject "Filewright <version>"
// and nothing else; the diagnostics text is for the user to paste.
QUrl mailUrl();

// "no-access", "missing-file", "disk-full" or "other", from the words of a
// failure's message.
QString errorCode(const QString &message);

// The computer's model name, empty where it cannot be read.
QString machine();

} // namespace Diagnostics
