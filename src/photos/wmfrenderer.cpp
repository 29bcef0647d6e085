#include "wmfrenderer.h"

#include "photoloader.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QtEndian>

#include <sys/resource.h>

namespace zk {

namespace {

// The helper's exit statuses (tools/zkwmf).
enum HelperStatus { Drawn = 0, BadInput = 3, NoMemory = 4 };

Picture failure(const QString& reason)
{
    return { QImage(), reason };
}

} // namespace

bool WmfRenderer::isMetafile(QByteArrayView data)
{
    if (data.size() < 18)
        return false;
    if (qFromLittleEndian<quint32>(data.data()) == 0x9AC6CDD7u) // placeable header
        return true;
    // METAHEADER: type 1 (memory) or 2 (disk), header size 9 words, version 1.0 or 3.0
    const quint16 type = qFromLittleEndian<quint16>(data.data());
    const quint16 headerWords = qFromLittleEndian<quint16>(data.data() + 2);
    const quint16 version = qFromLittleEndian<quint16>(data.data() + 4);
    return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

QString WmfRenderer::helperPath()
{
    return QCoreApplication::applicationDirPath() + QLatin1String("/zkwmf");
}

Picture WmfRenderer::render(QByteArrayView data, const QSize& size)
{
    QProcess helper;
    helper.setProgram(helperPath());
    helper.setArguments({ QString::number(size.width()), QString::number(size.height()) });
    helper.setStandardErrorFile(QProcess::nullDevice());
    helper.setChildProcessModifier([] {
        // In the child, before exec: no more memory than a sound metafile
        // needs, a CPU-time stop behind the wall-clock one, no core dump.
        const rlimit memory { rlim_t(MemoryLimitBytes), rlim_t(MemoryLimitBytes) };
        ::setrlimit(RLIMIT_AS, &memory);
        const rlimit cpu { rlim_t(TimeLimitMs / 1000 + 1), rlim_t(TimeLimitMs / 1000 + 2) };
        ::setrlimit(RLIMIT_CPU, &cpu);
        const rlimit core { 0, 0 };
        ::setrlimit(RLIMIT_CORE, &core);
    });
    helper.start();
    if (!helper.waitForStarted(TimeLimitMs)) {
        return failure(
            QStringLiteral("WMF ファイルを描くプログラム (%1) を起動できないため読み込めません.")
                .arg(helperPath()));
    }
    helper.write(data.data(), data.size());
    helper.closeWriteChannel();

    // A PNG is rarely larger than its raw pixels; more is not a picture.
    const qint64 maxOutput = qint64(size.width()) * size.height() * 4 + 1024 * 1024;
    const QDeadlineTimer deadline(TimeLimitMs);
    QByteArray png;
    const auto stop = [&helper](const QString& reason) {
        helper.kill();
        helper.waitForFinished(-1);
        return failure(reason);
    };
    while (helper.state() != QProcess::NotRunning) {
        if (deadline.hasExpired()) {
            return stop(QStringLiteral("WMF ファイルの描画に時間がかかりすぎるため読み込めません "
                                       "(ファイルが壊れている可能性があります)."));
        }
        helper.waitForReadyRead(int(qBound(qint64(1), deadline.remainingTime(), qint64(100))));
        png += helper.readAllStandardOutput();
        if (png.size() > maxOutput)
            return stop(QStringLiteral("WMF ファイルを描けませんでした (描画結果が大きすぎます)."));
    }
    png += helper.readAllStandardOutput();

    if (helper.exitStatus() == QProcess::CrashExit) {
        return failure(QStringLiteral(
            "WMF ファイルが壊れているため読み込めません (描画中に異常終了しました)."));
    }
    switch (helper.exitCode()) {
    case Drawn:
        break;
    case BadInput:
        return failure(QStringLiteral("WMF ファイルが壊れているため読み込めません."));
    case NoMemory:
        return failure(QStringLiteral("メモリーが足りないため WMF ファイルを描けません."));
    default:
        // Mostly missing fonts: libwmf needs the URW base 35 Type 1 fonts
        // even for metafiles without text.
        return failure(QStringLiteral("WMF ファイルを描けませんでした."));
    }

    Picture picture;
    picture.image = QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
    if (picture.image.size() != size)
        return failure(
            QStringLiteral("WMF ファイルを描けませんでした (描画結果が正しくありません)."));
    return picture;
}

} // namespace zk
