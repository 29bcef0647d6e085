#include "quietstderr.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace zk {

QuietStderr::QuietStderr()
{
    std::fflush(stderr);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0)
        return; // nothing to hide behind: stderr stays as it is
    saved = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (saved >= 0)
        ::dup2(null, STDERR_FILENO);
    ::close(null);
}

QuietStderr::~QuietStderr()
{
    if (saved < 0)
        return;
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
}

} // namespace zk
