// Turning a rule's folder and file-name templates ("~/Documents/{jahr}",
// "{datum} {absender} {betrag} {waehrung}") into real folders and safe file
// names for one file, and finding a free name beside existing files.
//
// Placeholders are brace-enclosed words of ASCII letters; the key is the word
// lower-cased, with the English aliases ("date", "sender", ...) standing for
// the German keys. Everything here is pure and may run on any thread.
#pragma once

#include "Decimal.h"
#include "Recognition.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

struct NameTemplate
{
    // Placeholder key (German, lower case) -> text.
    using Values = QHash<QString, QString>;
    using ExistsTest = std::function<bool(const QString &path)>;

    static constexpr int maxNameLength = 120;
    // The longest name a Linux file system takes, in bytes of UTF-8.
    static constexpr int maxNameBytes = 255;
    // The longest text after a name's last dot that counts as an extension.
    static constexpr int maxExtensionLength = 12;

    NameLanguage language = NameLanguage::de;
    // A Unicode date pattern ("yyyy-MM-dd", "dd.MM.yyyy") for "{datum}".
    QString dateFormat = QStringLiteral("yyyy-MM-dd");

    // The ten placeholder keys in their fixed order.
    static const std::array<QString, 10> &placeholders();

    // The values for one file. The date is the recognition's, else fileDate.
    Values values(const std::optional<Recognition> &recognition, const QString &originalName, int counter,
                  const std::optional<QDateTime> &fileDate) const;

    // The placeholders (as written) whose key has no value or an empty one,
    // in order, duplicates kept.
    QStringList missing(const QString &templateText, const Values &values) const;

    // Placeholders replaced by their values (or nothing), double blanks
    // collapsed, blanks, hyphens and underscores trimmed from both ends.
    QString fill(const QString &templateText, const Values &values) const;

    // A safe file name: filled, a short letters-only extension written in the
    // template dropped, sanitised, cut to maxNameLength characters, then the
    // original extension appended. Filled to nothing, it is the original
    // name as it was (hidden only when the original was, never "." or "..",
    // else "Unnamed");
    // the name before the extension is cut further, between characters (or
    // between the code points of a character too long by itself), until the
    // whole fits in maxNameBytes. Never empty and never only the extension.
    // An original "extension" of more than maxExtensionLength characters or
    // with blanks is part of the name and cut with it.
    QString fileName(const QString &templateText, const Values &values, const QString &originalExtension) const;

    // An absolute folder: "~..." under home, anything else under "/"; every
    // folder name is filled and sanitised, cut to maxNameBytes between
    // characters, and can never be "." or "..".
    QString folder(const QString &templateText, const Values &values, const QString &home) const;

    // 1234.5 -> "1234,50" (de) or "1234.50" (en): two decimals, no grouping.
    static QString format(const Decimal &amount, NameLanguage language);

    // The placeholder words of a template, in order, with duplicates, as written.
    static QStringList tokens(const QString &templateText);

    // One name component made safe: "/", ":" and "\" become "-", the
    // characters " < > | ? * become "_", control and format characters
    // become blanks, half a surrogate pair becomes U+FFFD; leading dots and
    // surrounding white space are removed.
    static QString sanitize(const QString &component);

    // path itself when exists(path) is false, else "name 2.ext", "name 3.ext",
    // ... up to 9999 in the same folder (the name cut to fit maxNameBytes),
    // else a random UUID name. Only a short text after the last dot counts as
    // the extension.
    static QString freeURL(const QString &path, const ExistsTest &exists = defaultExists);

    // The longest start of a text, cut between user-perceived characters,
    // whose UTF-8 form has at most `bytes` bytes, with white space at its
    // end removed. When the first character alone is longer, it is cut
    // between its code points, so that a text is never cut to nothing (but
    // for one whose start that fits is all white space).
    static QString fitBytes(const QString &text, qsizetype bytes);

    // Whether anything (a dangling link included) is at the path.
    static bool defaultExists(const QString &path);

    // The key a placeholder word names: lower-cased, English aliases mapped.
    static QString key(QStringView token);

    // The platform's extension rule on the last path component: the text
    // after its last ".", empty when there is none or the dot starts the name.
    static QString pathExtension(const QString &path);
    static QString deletingPathExtension(const QString &name);
};
