#include "ReadingNotes.h"

#include "Decimal.h"
#include "FileOperationError.h"
#include "Labels.h"
#include "NameTemplate.h"
#include "Prefs.h"
#include "Recognition.h"

#include <QRegularExpression>

#include <optional>

namespace {

// One note at the start of what is left of the message, in the words the
// reader stores, or nothing when the text there is no note.
std::optional<QString> note(QStringView rest, qsizetype *length)
{
    const struct Fixed
    {
        const char *stored;
        const char *shown;
    } fixed[] = {
        {"kind unclear", QT_TRANSLATE_NOOP("ReadingNotes", "kind unclear")},
        {"no total found", QT_TRANSLATE_NOOP("ReadingNotes", "no total found")},
        {"no date found", QT_TRANSLATE_NOOP("ReadingNotes", "no date found")},
        {"no sender found", QT_TRANSLATE_NOOP("ReadingNotes", "no sender found")},
        {"amount not found in text", QT_TRANSLATE_NOOP("ReadingNotes", "amount not found in text")},
        {"date not found in text", QT_TRANSLATE_NOOP("ReadingNotes", "date not found in text")},
        {"no text", QT_TRANSLATE_NOOP("ReadingNotes", "no text")},
    };
    for (const Fixed &each : fixed) {
        const QLatin1String stored(each.stored);
        if (rest.startsWith(stored)) {
            *length = stored.size();
            return ReadingNotes::tr(each.shown);
        }
    }

    static const QRegularExpression compared(QStringLiteral("^(kind|amount): model (\\S+), patterns ([^,\\s]+)"));
    const QRegularExpressionMatch match = compared.match(rest.toString());
    if (!match.hasMatch())
        return std::nullopt;
    *length = match.capturedLength();
    if (match.captured(1) == u"kind") {
        const std::optional<DocumentKind> model = DocumentKinds::fromRawValue(match.captured(2));
        const std::optional<DocumentKind> patterns = DocumentKinds::fromRawValue(match.captured(3));
        if (!model || !patterns)
            return std::nullopt;
        return ReadingNotes::tr("kind: language model %1, text patterns %2")
            .arg(Labels::title(*model), Labels::title(*patterns));
    }
    const std::optional<Decimal> model = Decimal::fromString(match.captured(2));
    const std::optional<Decimal> patterns = Decimal::fromString(match.captured(3));
    if (!model || !patterns)
        return std::nullopt;
    const NameLanguage language = Prefs::sentenceLanguage();
    return ReadingNotes::tr("amount: language model %1, text patterns %2")
        .arg(NameTemplate::format(*model, language), NameTemplate::format(*patterns, language));
}

} // namespace

QString ReadingNotes::shown(const QString &message)
{
    QStringList notes;
    QStringView rest(message);
    while (!rest.isEmpty()) {
        qsizetype length = 0;
        const std::optional<QString> one = note(rest, &length);
        if (!one)
            return FileOperationError::shown(message);
        notes.append(*one);
        rest = rest.mid(length);
        if (rest.startsWith(u", "))
            rest = rest.mid(2);
        else if (!rest.isEmpty())
            return FileOperationError::shown(message);
    }
    return notes.join(QStringLiteral(", "));
}
