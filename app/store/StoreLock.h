// One process at a time runs the automation on a store: the running
// application holds the store's lock for as long as it runs, a command that
// works on the store by itself for the length of its run. The lock is the
// kernel's lock on a file next to the store, so it ends with its process,
// however that ends.
#pragma once

#include <QString>

#include <chrono>
#include <functional>
#include <optional>

class StoreLock
{
public:
    // Takes the lock of the store at storePath, waiting while another process
    // holds it. Stops waiting, giving nothing, as soon as handOver() returns
    // true (asked between tries) or when patience has run out. A lock file that
    // cannot be made gives a lock that holds nothing: then the store itself
    // cannot be opened either, and says why.
    static std::optional<StoreLock> take(const QString &storePath, std::chrono::milliseconds patience,
                                         const std::function<bool()> &handOver);

    StoreLock(StoreLock &&other) noexcept;
    StoreLock &operator=(StoreLock &&other) noexcept;
    StoreLock(const StoreLock &) = delete;
    StoreLock &operator=(const StoreLock &) = delete;
    ~StoreLock();

private:
    explicit StoreLock(int descriptor);

    int m_descriptor = -1;
};
