// The error of a file operation, with the text the journal shows for it.
#pragma once

#include <QString>

#include <stdexcept>

class FileOperationError : public std::runtime_error
{
public:
    enum class Kind {
        fileMoved, // the filed file is no longer where it was put; undo stops
        failed, // a file operation failed; the payload is its message
    };

    // path: where the file had been put, already shown with "~".
    static FileOperationError fileMoved(const QString &path);
    static FileOperationError failed(const QString &message);

    Kind kind() const { return m_kind; }
    QString payload() const { return m_payload; }
    QString description() const;

    friend bool operator==(const FileOperationError &a, const FileOperationError &b)
    {
        return a.m_kind == b.m_kind && a.m_payload == b.m_payload;
    }

private:
    FileOperationError(Kind kind, const QString &payload);

    Kind m_kind;
    QString m_payload;
};
