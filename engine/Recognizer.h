// The one entry point of document recognition, and the small date utilities
// that names, plans and rule conditions share with it.
#pragma once

#include <QDateTime>
#include <QSet>
#include <QString>

#include <optional>

namespace Recognizer {

// Extensions (lower case, no dot) that are taken as installers.
const QSet<QString> &installerExtensions();

// The local day the file was made (creation date, else date added), as 12:00 UTC.
std::optional<QDateTime> fileDate(const QString &path);

// A "YYYY-MM-DD" text as a day at 12:00 UTC; nothing for anything else.
std::optional<QDateTime> parseISO(const QString &text);

} // namespace Recognizer
