#include "FileOperationError.h"

namespace {
QString describe(FileOperationError::Kind kind, const QString &payload)
{
    if (kind == FileOperationError::Kind::fileMoved)
        return QStringLiteral("The file is no longer at ") + payload
            + QStringLiteral(". It was moved or renamed after Filewright filed it.");
    return payload;
}
} // namespace

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
