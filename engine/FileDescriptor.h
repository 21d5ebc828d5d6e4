// A file descriptor owned by one scope: closed when the scope ends, unless
// it was handed on or closed before.
#pragma once

class FileDescriptor
{
public:
    explicit FileDescriptor(int descriptor) : m_descriptor(descriptor) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    int get() const { return m_descriptor; }
    // Hands the descriptor on: the caller closes it.
    int release();
    // Closes now, so that a late write error is seen; close's own result.
    int close();

private:
    int m_descriptor;
};
