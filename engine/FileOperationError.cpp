#include "FileOperationError.h"

#include <QCoreApplication>
#include <QList>
#include <QRegularExpression>

#include <array>
#include <utility>

namespace {

constexpr char context[] = "FileOperationError";

// In the order of FileOperationError::Message.
constexpr std::array texts{
    QT_TRANSLATE_NOOP("FileOperationError",
                      "The file is no longer at %1. It was moved or renamed after Filewright filed it."),
    QT_TRANSLATE_NOOP("FileOperationError", "The tags of “%1” couldn’t be read."),
    QT_TRANSLATE_NOOP("FileOperationError",
                      "The tags of “%1” couldn’t be saved because its file system cannot store tags."),
    QT_TRANSLATE_NOOP("FileOperationError", "The tags of “%1” couldn’t be saved: %2."),
    QT_TRANSLATE_NOOP("FileOperationError", "The folder “%1” couldn’t be created: %2."),
    QT_TRANSLATE_NOOP("FileOperationError", "“%1” couldn’t be moved to “%2”: %3."),
    QT_TRANSLATE_NOOP("FileOperationError",
                      "“%1” was copied to “%2”, but the original couldn’t be removed completely."),
    QT_TRANSLATE_NOOP("FileOperationError", "“%1” couldn’t be copied to “%2”: %3."),
    QT_TRANSLATE_NOOP("FileOperationError", "“%1” couldn’t be moved to the Trash: %2."),
    QT_TRANSLATE_NOOP("FileOperationError", "“%1” is no longer in %2."),
    QT_TRANSLATE_NOOP("FileOperationError", "an item with the same name already exists"),
    QT_TRANSLATE_NOOP("FileOperationError", "no Trash folder could be used on its file system"),
};
static_assert(texts.size() == std::size_t(FileOperationError::Message::noTrashFolder) + 1);

QString describe(FileOperationError::Kind kind, const QString &payload)
{
    if (kind == FileOperationError::Kind::fileMoved)
        return FileOperationError::message(FileOperationError::Message::fileMoved).arg(payload);
    return payload;
}

// A stored English text matched against the English forms, "%1"… standing
// for anything; each match with the texts it holds in place of them.
struct Form
{
    const char *source;
    QRegularExpression pattern;
};

QList<Form> englishForms()
{
    static const QRegularExpression placeholder(QStringLiteral("%[1-9]"));
    QList<Form> forms;
    for (const char *source : texts) {
        const QString text = QString::fromUtf8(source);
        QString pattern = QStringLiteral("^");
        qsizetype at = 0;
        for (QRegularExpressionMatchIterator it = placeholder.globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            pattern += QRegularExpression::escape(text.mid(at, match.capturedStart() - at)) + QStringLiteral("(.*)");
            at = match.capturedEnd();
        }
        pattern += QRegularExpression::escape(text.mid(at)) + QStringLiteral("$");
        forms.append(Form{source, QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption)});
    }
    return forms;
}

} // namespace

QString FileOperationError::message(Message which)
{
    return QCoreApplication::translate(context, texts.at(std::size_t(which)));
}

FileOperationError::FileOperationError(Kind kind, const QString &payload)
    : std::runtime_error(describe(kind, payload).toStdString()), m_kind(kind), m_payload(payload)
{
}

FileOperationError FileOperationError::fileMoved(const QString &path)
{
    return FileOperationError(Kind::fileMoved, path);
}

FileOperationError FileOperationError::failed(const QString &message)
{
    return FileOperationError(Kind::failed, message);
}

QString FileOperationError::description() const
{
    return describe(m_kind, m_payload);
}

QString FileOperationError::shown(const QString &stored)
{
    static const QList<Form> forms = englishForms();
    // A reason inside a message is one of the operations' own, or the system's words.
    const auto reason = [](const QString &part) {
        for (const Message own : {Message::nameTaken, Message::noTrashFolder}) {
            if (part == QLatin1String(texts.at(std::size_t(own))))
                return message(own);
        }
        return part;
    };
    for (const Form &form : forms) {
        const QRegularExpressionMatch match = form.pattern.match(stored);
        if (!match.hasMatch())
            continue;
        const QString translated = QCoreApplication::translate(context, form.source);
        switch (match.lastCapturedIndex()) {
        case 0:
            return translated;
        case 1:
            return translated.arg(match.captured(1));
        case 2:
            return translated.arg(match.captured(1), reason(match.captured(2)));
        default:
            return translated.arg(match.captured(1), match.captured(2), reason(match.captured(3)));
        }
    }
    return stored;
}
