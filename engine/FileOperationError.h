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

    // The texts of the file operations' failures, with "%1"… for the names
    // and the reason; message() gives each in the windows' language.
    enum class Message {
        fileMoved, // the "~" path where the file had been put
        tagsUnreadable, // the file's name
        tagsUnsupported, // the file's name
        tagsNotSaved, // the file's name, the reason
        folderNotCreated, // the folder's name, the reason
        notMoved, // the file's name, the target folder's name, the reason
        originalKept, // the file's name, the target folder's name
        notCopied, // the file's name, the target folder's name, the reason
        notTrashed, // the file's name, the reason
        originalGone, // the file's name, the "~" path of the folder it was planned from
        nameTaken, // a reason: something of that name is already there
        noTrashFolder, // a reason: no Trash on the file's file system
    };
    static QString message(Message which);

    // path: where the file had been put, already shown with "~".
    static FileOperationError fileMoved(const QString &path);
    static FileOperationError failed(const QString &message);

    Kind kind() const { return m_kind; }
    QString payload() const { return m_payload; }
    // In the windows' language at the time it was made; the journal keeps it so.
    QString description() const;

    // A stored description as the windows show it now: one that a file
    // operation wrote in English (an earlier build, or English windows) in
    // the windows' language, reasons included; any other text as it is.
    static QString shown(const QString &stored);

    friend bool operator==(const FileOperationError &a, const FileOperationError &b)
    {
        return a.m_kind == b.m_kind && a.m_payload == b.m_payload;
    }

private:
    FileOperationError(Kind kind, const QString &payload);

    Kind m_kind;
    QString m_payload;
};
