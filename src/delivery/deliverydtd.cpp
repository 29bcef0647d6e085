#include "deliverydtd.h"

#include "docfile/cp932codec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace zk {

QString DeliveryDtd::installed()
{
    const QString programDir = QCoreApplication::applicationDirPath();
    QStringList candidates = {
        programDir + QLatin1Char('/') + fileName(),
        QDir::cleanPath(programDir + QStringLiteral("/../share/zelkora/")) + QLatin1Char('/') + fileName(),
    };
    const QStringList dataDirs = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString& dir : dataDirs)
        candidates.append(dir + QStringLiteral("/zelkora/") + fileName());
    for (const QString& path : candidates) {
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
}

QByteArray DeliveryDtd::to_utf8(const QByteArray& dtd)
{
    QByteArray body = dtd;
    QByteArray encoding;
    if (body.startsWith("\xEF\xBB\xBF")) {
        body.remove(0, 3);
        encoding = "utf-8";
    }
    if (body.startsWith("<?xml")) {
        const qsizetype end = body.indexOf("?>");
        if (end > 0) {
            static const QRegularExpression named(QStringLiteral("encoding\\s*=\\s*[\"']([^\"']+)[\"']"));
            const QRegularExpressionMatch m = named.match(QString::fromLatin1(body.left(end)));
            if (m.hasMatch())
                encoding = m.captured(1).toLower().toLatin1();
            // Keep the line count: the declaration's line stays, empty.
            body.remove(0, end + 2);
        }
    }
    if (encoding == "utf-8" || encoding == "utf8")
        return body;
    return Cp932Codec::instance().decode(body).toUtf8();
}

QString DeliveryDtd::remark_element(const QByteArray& dtd)
{
    static const QRegularExpression declared(QStringLiteral("<!ELEMENT\\s+受注者説明文[\\s(]"));
    return declared.match(QString::fromUtf8(to_utf8(dtd))).hasMatch() ? QStringLiteral("受注者説明文")
                                                                        : QStringLiteral("請負者説明文");
}

} // namespace zk
