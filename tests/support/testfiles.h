#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Whole-file reads and writes for the tests' fixtures.
inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A lock file beside album as another Zelkora would leave it: user "other",
// the given host and process, since ageSecs seconds ago.
#include <QDateTime>
#include <QSysInfo>
inline bool writeForeignLock(const QString& lockPath, const QString& host, qint64 pid, qint64 ageSecs)
{
    const QString since = QDateTime::currentDateTimeUtc().addSecs(-ageSecs).toString(Qt::ISODate);
    return writeAll(lockPath,
        QStringLiteral("zelkora-lock 1\nuser=other\nhost=%1\npid=%2\nsince=%3\n")
            .arg(host == QLatin1String("this") ? QSysInfo::machineHostName() : host)
            .arg(pid)
            .arg(since)
            .toUtf8());
}
