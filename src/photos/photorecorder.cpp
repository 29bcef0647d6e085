#include "photorecorder.h"

#include "photos/photofile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>

#include <openssl/evp.h>

#include <memory>

namespace zk {

namespace {

// Qt's own SHA-256 runs at a fifth of sha256sum's speed; libcrypto uses
// the processor's SHA instructions where there are some.
class Sha256
{
public:
    Sha256() : context(EVP_MD_CTX_new()) { ok = context && EVP_DigestInit_ex(context, EVP_sha256(), nullptr) == 1; }
    ~Sha256() { EVP_MD_CTX_free(context); }
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void add(QByteArrayView bytes)
    {
        ok = ok && EVP_DigestUpdate(context, bytes.data(), size_t(bytes.size())) == 1;
    }
    // 64 lower-case hex digits; empty when libcrypto failed.
    QByteArray hex()
    {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        if (!ok || EVP_DigestFinal_ex(context, digest, &length) != 1)
            return {};
        return QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex();
    }

private:
    EVP_MD_CTX* context;
    bool ok = false;
};

} // namespace

PhotoRecorder::PhotoRecorder(QObject* parent)
    : QObject(parent), cancelled(std::make_shared<std::atomic_bool>(false))
{
    // One reader: the disk, not the processor, sets the pace, and the
    // second core stays with the window.
    pool.setMaxThreadCount(1);
}

PhotoRecorder::~PhotoRecorder()
{
    cancel();
    pool.waitForDone();
}

PhotoRecord PhotoRecorder::record(
    const QString& path, QString* error, const std::atomic_bool* cancelled)
{
    error->clear();
    // A file written to while it is read gives a record of neither version:
    // read it again, and give up if it keeps changing.
    for (int attempt = 0; attempt < 3; ++attempt) {
        PhotoFile file(path);
        Sha256 hash;
        bool stopped = false;
        const bool read = file.readInChunks(1024 * 1024, [&](QByteArrayView chunk) {
            stopped = cancelled && cancelled->load();
            if (!stopped)
                hash.add(chunk);
            return !stopped;
        });
        if (stopped)
            return {};
        if (!read) {
            *error = file.error();
            return {};
        }
        const PhotoFile after(path);
        if (after.size() != file.size() || after.modified() != file.modified()
            || after.inode() != file.inode())
            continue;
        PhotoRecord result;
        result.size = file.size();
        result.modified = file.modified() / 1000000;
        result.sha256 = hash.hex();
        if (result.sha256.isEmpty()) {
            *error = QStringLiteral("写真ファイルのハッシュ値を計算できませんでした.");
            return {};
        }
        return result;
    }
    *error = QStringLiteral("写真ファイルが読み込み中に変更され続けています.");
    return {};
}

void PhotoRecorder::start(const QStringList& paths)
{
    const std::shared_ptr<std::atomic_bool> stop = cancelled;
    for (const QString& path : paths) {
        ++outstanding;
        pool.start([this, stop, path] {
            QString reason;
            const PhotoRecord result = record(path, &reason, stop.get());
            if (stop->load())
                return;
            // Queued to the recorder's thread; dropped if it is gone.
            QMetaObject::invokeMethod(
                this,
                [this, stop, path, result, reason] {
                    // Posted just as the batch was cancelled: not reported.
                    if (stop == cancelled)
                        deliver(path, result, reason);
                },
                Qt::QueuedConnection);
        });
    }
}

void PhotoRecorder::cancel()
{
    cancelled->store(true);
    cancelled = std::make_shared<std::atomic_bool>(false);
    pool.clear();
    // Results already on their way belong to the cancelled batch as well.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    const bool wasBusy = outstanding > 0;
    outstanding = 0;
    if (wasBusy)
        Q_EMIT idle();
}

bool PhotoRecorder::finish(int msecs)
{
    const QDeadlineTimer deadline(msecs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(msecs));
    if (!pool.waitForDone(int(deadline.remainingTime())))
        return false;
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    return outstanding == 0;
}

void PhotoRecorder::deliver(const QString& path, const PhotoRecord& result, const QString& reason)
{
    if (outstanding <= 0)
        return;
    --outstanding;
    if (result.isValid())
        Q_EMIT recorded(path, result);
    else
        Q_EMIT failed(path, reason);
    if (outstanding == 0)
        Q_EMIT idle();
}

} // namespace zk
