// A file whose name is not valid UTF-8, copied into a private folder of its
// own under its decoded name, so that readers that go by a path's text can
// read it. The file itself is only read; the copy and its folder go with the
// object.
#pragma once

#include "ActionError.h"
#include "Recognition.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

class DecodedCopy
{
public:
    // Copies the regular file at path (its bytes as the file system knows
    // them, absolute); the reason, naming the file by its decoded text, when
    // it cannot be read or copied, in language.
    static ActionResult<std::shared_ptr<const DecodedCopy>> make(const QByteArray &path, NameLanguage language);
    // Why the file at path cannot be read (as make() would say), or none.
    static std::optional<QString> unreadable(const QByteArray &path, NameLanguage language);

    ~DecodedCopy();
    DecodedCopy(const DecodedCopy &) = delete;
    DecodedCopy &operator=(const DecodedCopy &) = delete;

    // The copy's path, which ends in the decoded name.
    const QString &path() const { return m_path; }

private:
    DecodedCopy(QString folder, QString path) : m_folder(std::move(folder)), m_path(std::move(path)) { }

    const QString m_folder;
    const QString m_path;
};
