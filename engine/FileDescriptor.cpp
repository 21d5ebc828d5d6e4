#include "FileDescriptor.h"

#include <utility>

#include <unistd.h>

FileDescriptor::~FileDescriptor()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

int FileDescriptor::release()
{
    return std::exchange(m_descriptor, -1);
}

int FileDescriptor::close()
{
    return ::close(release());
}
