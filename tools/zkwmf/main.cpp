// zkwmf: draws one Windows metafile into a PNG, for the photo loader.
//
//   zkwmf WIDTH HEIGHT < picture.wmf > picture.png
//
// libwmf is an old C library that crashes, loops or asks for gigabytes on
// damaged files, so the program never runs it in its own process: the loader
// starts this helper with limits on time, memory and output, and a helper
// that fails in any way fails only the one picture.
//
// Exit status: 0 with the PNG on standard output; BadInput for a metafile
// libwmf cannot read, NoMemory when it ran out of memory, CannotDraw for any
// other failure (mostly missing fonts), Usage for wrong arguments.

#include "wmfplayer.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// At most what the loader sends; more is not a photo the album shows.
constexpr size_t MaxInputBytes = 256 * 1024 * 1024;
constexpr int MaxSide = 20000;

bool readAll(std::string& data)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0)
            return false;
        data.append(buffer, size_t(n));
        if (data.size() > MaxInputBytes)
            return false;
    }
}

bool writeAll(const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, data.data() + done, data.size() - done);
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fputs("Usage: zkwmf WIDTH HEIGHT < picture.wmf > picture.png\n", stderr);
        return zk::WmfPlayer::Usage;
    }
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide) {
        std::fputs("zkwmf: WIDTH and HEIGHT must be from 1 to 20000\n", stderr);
        return zk::WmfPlayer::Usage;
    }
    std::string metafile;
    if (!readAll(metafile))
        return zk::WmfPlayer::BadInput;
    std::string png;
    const int status = zk::WmfPlayer::play(metafile, width, height, png);
    if (status != zk::WmfPlayer::Drawn)
        return status;
    return writeAll(png) ? zk::WmfPlayer::Drawn : zk::WmfPlayer::CannotDraw;
}
