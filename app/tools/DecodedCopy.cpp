#include "DecodedCopy.h"

#include "LanguageTexts.h"
#include "PrivateFolder.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The texts are the actions' own, in the language of whoever asked.
QString say(NameLanguage language, const char *source)
{
    return LanguageTexts::text(language, "AutomationActions", source);
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Closes a descriptor when it goes.
struct Descriptor
{
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Opens the regular file at path for reading, or says why it cannot be read.
std::optional<QString> openRegular(const QByteArray &path, Descriptor &source, NameLanguage language)
{
    const QString shown = QFile::decodeName(path);
    // Opened without waiting, so that a named pipe cannot hold the caller.
    source.fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (source.fd < 0)
        return say(language, QT_TRANSLATE_NOOP("AutomationActions", "Cannot read %1: %2"))
            .arg(shown, systemReason(errno));
    struct stat info {};
    if (::fstat(source.fd, &info) != 0 || !S_ISREG(info.st_mode))
        return say(language, QT_TRANSLATE_NOOP("AutomationActions", "Cannot read %1: not a regular file")).arg(shown);
    return std::nullopt;
}

} // namespace

std::optional<QString> DecodedCopy::unreadable(const QByteArray &path, NameLanguage language)
{
    Descriptor source{-1};
    return openRegular(path, source, language);
}

ActionResult<std::shared_ptr<const DecodedCopy>> DecodedCopy::make(const QByteArray &path, NameLanguage language)
{
    const QString shown = QFile::decodeName(path);
    Descriptor source{-1};
    if (const std::optional<QString> refusal = openRegular(path, source, language))
        return ActionError::failure(*refusal);

    const ActionResult<QString> made = PrivateFolder::create(QStringLiteral("Filewright-"), language);
    if (const auto *error = std::get_if<ActionError>(&made))
        return *error;
    // Made before the copy is written, so that the folder goes whatever happens next.
    std::shared_ptr<const DecodedCopy> copy(
        new DecodedCopy(std::get<QString>(made), std::get<QString>(made) + QLatin1Char('/') + QFileInfo(shown).fileName()));
    QFile target(copy->path());
    if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return ActionError::failure(say(language, QT_TRANSLATE_NOOP("AutomationActions", "Could not write %1: %2"))
                                        .arg(copy->path(), target.errorString()));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t length = ::read(source.fd, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR)
            continue;
        if (length < 0)
            return ActionError::failure(say(language, QT_TRANSLATE_NOOP("AutomationActions", "Cannot read %1: %2"))
                                            .arg(shown, systemReason(errno)));
        if (length == 0)
            break;
        if (target.write(buffer, length) != length)
            return ActionError::failure(say(language, QT_TRANSLATE_NOOP("AutomationActions", "Could not write %1: %2"))
                                        .arg(copy->path(), target.errorString()));
    }
    if (!target.flush())
        return ActionError::failure(say(language, QT_TRANSLATE_NOOP("AutomationActions", "Could not write %1: %2"))
                                        .arg(copy->path(), target.errorString()));
    return copy;
}

DecodedCopy::~DecodedCopy()
{
    std::error_code ignored;
    std::filesystem::remove_all(QFile::encodeName(m_folder).toStdString(), ignored);
}
