#pragma once

namespace zk {

// Sends standard error to /dev/null for its lifetime. The image libraries
// behind Qt write some complaints straight to stderr, past any Qt message
// handler (libpng's "libpng error: Read Error"); while photos are decoded,
// zkrtool lets them go nowhere and reports the loader's own result instead.
class QuietStderr
{
public:
    QuietStderr();
    ~QuietStderr();
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved = -1;
};

} // namespace zk
