// Prints an album of 100 pages with 300 distinct photos of 12 megapixels to
// PDF through zkrtool pdf and compares it with the time to decode the same
// photos at print resolution on one thread: wall time, peak resident memory
// of zkrtool, PDF size; then times zkrtool check of the same album.
//
// The photos are made once into /var/tmp/zelkora-bench (or $ZELKORA_BENCH_DIR)
// and reused by later runs and by bench_pageflip; they are the same on every
// run, each drawn from its own seed.

#include "docfile/documentwriter.h"
#include "model/document.h"
#include "photos/photoloader.h"
#include "print/photopage.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <vector>

using namespace zk;

namespace {

constexpr int Pages = 100;
constexpr int Photos = Pages * 3;
constexpr int Distinct = Photos;
constexpr int PhotoWidth = 4000;
constexpr int PhotoHeight = 3000;

// Smooth random field: a grid of random values every cell pixels, bilinearly
// interpolated; gives the large shapes and the textures of a site photo.
class ValueNoise
{
public:
    ValueNoise(int width, int height, int cell, QRandomGenerator& random)
        : cell(cell), columns(width / cell + 2)
    {
        values.resize(size_t(columns) * size_t(height / cell + 2));
        for (float& v : values)
            v = float(random.generateDouble() * 2 - 1);
    }

    float at(int x, int y) const
    {
        const int gx = x / cell;
        const int gy = y / cell;
        const float fx = float(x % cell) / float(cell);
        const float fy = float(y % cell) / float(cell);
        const float* row = &values[size_t(gy) * size_t(columns)];
        const float* next = row + columns;
        const float top = row[gx] + (row[gx + 1] - row[gx]) * fx;
        const float bottom = next[gx] + (next[gx + 1] - next[gx]) * fx;
        return top + (bottom - top) * fy;
    }

private:
    int cell;
    int columns;
    std::vector<float> values;
};

// A 12-megapixel picture with the statistics of a construction site photo:
// sky gradient, large shapes, textured ground (gravel, rebar, soil) and
// sensor noise, so that it neither compresses like a flat test card nor like
// pure noise.
QImage sitePhoto(quint32 seed)
{
    QRandomGenerator random(seed);
    const ValueNoise shapes(PhotoWidth, PhotoHeight, 400, random);
    const ValueNoise regions(PhotoWidth, PhotoHeight, 120, random);
    const ValueNoise texture(PhotoWidth, PhotoHeight, 6, random);
    const ValueNoise grain(PhotoWidth, PhotoHeight, 2, random);
    const float tint[3] = { float(random.bounded(60, 120)), float(random.bounded(60, 110)),
        float(random.bounded(40, 100)) };
    QImage image(PhotoWidth, PhotoHeight, QImage::Format_RGB32);
    quint32 state = seed * 2654435761u + 1;
    for (int y = 0; y < PhotoHeight; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const float horizon = float(y) / PhotoHeight;
        for (int x = 0; x < PhotoWidth; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const float noise = float(int(state & 15) - 8); // sensor noise, +-8
            const float shape = shapes.at(x, y) * 60;
            const float detail
                = (regions.at(x, y) + 0.3f) * texture.at(x, y) * 45 + grain.at(x, y) * 10;
            int rgb[3];
            for (int c = 0; c < 3; ++c) {
                const float sky = 200 - 40 * float(c == 0) - horizon * 50;
                const float ground = tint[c] + 40;
                const float base = horizon < 0.35f ? sky : ground;
                const float v = base + shape + (horizon < 0.35f ? detail * 0.2f : detail) + noise;
                rgb[c] = std::clamp(int(v), 0, 255);
            }
            line[x] = qRgb(rgb[0], rgb[1], rgb[2]);
        }
    }
    return image;
}

// Makes the photo files that are not there yet, on every core; false on
// failure. A file is written under a temporary name and renamed when whole,
// so an interrupted run leaves no half photo to be reused.
bool makePhotos(const QDir& dir, QStringList* paths)
{
    std::vector<std::thread> workers;
    std::vector<char> ok(Distinct, 0);
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = int(t); i < Distinct; i += int(threads)) {
                const QString path = dir.filePath(
                    QStringLiteral("IMG_%1.JPG").arg(i + 1, 4, 10, QLatin1Char('0')));
                if (QFileInfo(path).size() > 0) {
                    ok[size_t(i)] = 1;
                    continue;
                }
                const QString part = path + QStringLiteral(".part");
                ok[size_t(i)] = sitePhoto(quint32(i + 1)).save(part, "JPG", 92)
                    && QFile::rename(part, path);
            }
        });
    }
    for (std::thread& w : workers)
        w.join();
    if (std::find(ok.cbegin(), ok.cend(), 0) != ok.cend())
        return false;
    for (int i = 0; i < Photos; ++i)
        *paths << dir.filePath(QStringLiteral("IMG_%1.JPG").arg(i + 1, 4, 10, QLatin1Char('0')));
    return true;
}

Document album(const QStringList& photos)
{
    const QStringList works = { "基礎配筋", "型枠組立", "コンクリート打設", "埋戻し", "床掘り" };
    Document d;
    for (int n = 1; n <= CoverData::FieldCount; ++n)
        d.cover.setLine(n, QString::number(n));
    d.cover.setField(CoverField::ProjectName, QStringLiteral("市道１号線道路改良工事（その２）"));
    for (int i = 1; i <= photos.size(); ++i)
        d.entries.append_entry(number_text(i), works.at(i % works.size()),
            QStringLiteral("A-1工区\r\n配筋状況 D13@200\r\n立会者：監督員 山田"), photos.at(i - 1));
    return d;
}

struct ChildRun
{
    int status = -1;
    double seconds = 0;
    long peakKiB = 0;
    double cpuSeconds = 0; // user and system time of the child
};

// Runs the program and reads its peak resident set from the kernel's
// accounting of the finished child (ru_maxrss, in KiB).
ChildRun runChild(const QString& program, const QStringList& args)
{
    std::vector<QByteArray> bytes { program.toLocal8Bit() };
    for (const QString& a : args)
        bytes.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);

    ChildRun run;
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (pid < 0)
        return run;
    int status = 0;
    rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.seconds = timer.nsecsElapsed() / 1e9;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKiB = usage.ru_maxrss;
    run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return run;
}

// Processor time of the calling thread so far.
double threadCpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The load averages, to tell how busy the shared machine was.
std::array<double, 3> load()
{
    std::array<double, 3> l {};
    getloadavg(l.data(), 3);
    return l;
}

} // namespace

QString benchDir()
{
    const QString dir = qEnvironmentVariable("ZELKORA_BENCH_DIR");
    return dir.isEmpty() ? QStringLiteral("/var/tmp/zelkora-bench") : dir;
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString zkrtool = QCoreApplication::applicationDirPath() + QStringLiteral("/zkrtool");
    if (!QFileInfo(zkrtool).isExecutable()) {
        std::fprintf(stderr, "bench_print: %s not found\n", qPrintable(zkrtool));
        return 1;
    }
    QStringList photos;
    QElapsedTimer made;
    made.start();
    const QDir dir(benchDir());
    if (!QDir().mkpath(dir.path()) || !makePhotos(dir, &photos)) {
        std::fprintf(stderr, "bench_print: cannot make the photos\n");
        return 1;
    }
    qint64 photoBytes = 0;
    for (const QString& p : photos)
        photoBytes += QFileInfo(p).size();
    std::printf(
        "photos: %d files of %dx%d (%d distinct), %.1f MB each on average, ready in %.0f s\n",
        Photos, PhotoWidth, PhotoHeight, Distinct, photoBytes / 1e6 / Photos,
        made.nsecsElapsed() / 1e9);

    // album.zkr stays beside the photos for bench_pageflip.
    const QString zkr = dir.filePath(QStringLiteral("album.zkr"));
    if (!write_document(zkr, album(photos)).ok()) {
        std::fprintf(stderr, "bench_print: cannot write the album\n");
        return 1;
    }

    // The floor: decoding every photo once at print resolution, as printing must.
    const QSize size = photo_print_size(300);
    PhotoLoader loader(0);
    QElapsedTimer decodeTimer;
    decodeTimer.start();
    const double decodeCpuStart = threadCpuSeconds();
    for (const QString& p : photos) {
        if (loader.load(p, size).image.size() != size) {
            std::fprintf(stderr, "bench_print: cannot decode %s\n", qPrintable(p));
            return 1;
        }
    }
    const double decode = decodeTimer.nsecsElapsed() / 1e9;
    const double decodeCpu = threadCpuSeconds() - decodeCpuStart;

    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("album.pdf"));
    const ChildRun print = runChild(zkrtool, { QStringLiteral("pdf"), zkr, pdf });
    if (print.status != 0) {
        std::fprintf(stderr, "bench_print: zkrtool pdf failed (status %d)\n", print.status);
        return 1;
    }
    const ChildRun check = runChild(zkrtool, { QStringLiteral("check"), zkr });
    if (check.status != 0) {
        std::fprintf(stderr, "bench_print: zkrtool check found problems (status %d)\n",
            check.status);
        return 1;
    }
    const double pdfMB = QFileInfo(pdf).size() / 1e6;
    const double peakMiB = print.peakKiB / 1024.0;
    const double perPage = pdfMB / Pages;

    std::printf("decode %d photos at %dx%d:  %6.1f s  (processor time %.1f s)\n", Photos,
        size.width(), size.height(), decode, decodeCpu);
    std::printf("zkrtool pdf (%d pages):        %6.1f s  (%.2f x decode)\n", Pages + 1,
        print.seconds, print.seconds / decode);
    std::printf("zkrtool pdf processor time:    %6.1f s  (%.2f cores busy on average)\n",
        print.cpuSeconds, print.cpuSeconds / print.seconds);
    std::printf("peak resident memory:          %6.1f MiB\n", peakMiB);
    std::printf(
        "PDF size:                      %6.1f MB  (%.2f MB per photo page)\n", pdfMB, perPage);
    std::printf("zkrtool check:                 %6.2f s\n", check.seconds);
    std::printf("load: %.2f %.2f %.2f (1, 5, 15 min) on %u cores\n", load()[0], load()[1], load()[2],
        std::thread::hardware_concurrency());
    const bool timeMet = print.seconds <= 0.7 * decode;
    const bool memoryMet = peakMiB <= 150;
    const bool sizeMet = perPage <= 1.1;
    const bool checkMet = check.seconds <= 1;
    std::printf("target: time <= 0.7 x decode: %s\n", timeMet ? "met" : "NOT met");
    std::printf("target: peak memory <= 150 MiB: %s\n", memoryMet ? "met" : "NOT met");
    std::printf("target: PDF <= 1.1 MB per photo page: %s\n", sizeMet ? "met" : "NOT met");
    std::printf("target: zkrtool check <= 1 s: %s\n", checkMet ? "met" : "NOT met");
    return timeMet && memoryMet && sizeMet && checkMet ? 0 : 1;
}
