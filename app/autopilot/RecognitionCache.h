// Every document the automation has read, kept in the store by a hash of its
// content, so that a file that comes back (renamed, moved, copied, handled
// again) is not read a second time, and values the user corrected win.
#pragma once

#include "Recognition.h"

#include <QString>

#include <optional>

class Store;

class RecognitionCache
{
public:
    // How much of the start of a file the hash covers.
    static constexpr qint64 hashedBytes = 1'000'000;

    explicit RecognitionCache(Store &store);

    // SHA-256 over the file's first hashedBytes bytes followed by its size in
    // decimal, as 64 lowercase hex digits; nothing when the file cannot be
    // opened or read.
    static std::optional<QString> hash(const QString &path);

    // The stored reading of that content, which from now on stands at path.
    std::optional<Recognition> lookUp(const QString &contentHash, const QString &path);

    // Keeps a fresh reading, unless a reading of the same content was kept
    // meanwhile: then that one stands (and now stands at path). Returns the
    // reading that stands. fileID is the file's identifier, "" when unknown.
    Recognition remember(const QString &contentHash, const QString &fileID, const QString &path,
                         const Recognition &recognition);

    // After filing moved a file from `from` to `to`: the reading of its
    // content that stood at `from` now stands at `to`.
    void follow(const QString &from, const QString &to);

    // Keeps what the user approved of the reading of the file at path: its
    // kind, sender, date, amount and currency go into the stored reading of
    // its content, marked edited as the receipts mark their own corrections,
    // so that the receipts and every later reading of that content show them.
    // A content not read before is kept with the approved reading. Nothing
    // for a file that cannot be read.
    void correct(const QString &path, const QString &fileID, const Recognition &approved);

private:
    Store &m_store;
};
