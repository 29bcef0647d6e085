#pragma once

#include "model/photorecord.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <memory>

namespace zk {

// Takes the integrity records (size, modification time, SHA-256) of placed
// photos on a worker thread and reports each by signal, so that hashing
// hundreds of camera files never holds up the window.
class PhotoRecorder : public QObject
{
    Q_OBJECT

public:
    explicit PhotoRecorder(QObject* parent = nullptr);
    // Cancels what is left and waits for the file being read.
    ~PhotoRecorder() override;

    // The record of one file, read on the calling thread; an invalid record
    // and the reason in Japanese when the file cannot be read. Stops early,
    // with an empty reason, once *cancelled turns true.
    static PhotoRecord record(const QString& path, QString* error,
        const std::atomic_bool* cancelled = nullptr);

    // Queues the files; each is reported by recorded() or failed().
    void start(const QStringList& paths);
    // Drops every queued file and stops the one being read: none of them is
    // reported any more.
    void cancel();
    // Files queued and not yet reported.
    int pending() const { return outstanding; }
    // Blocks until every queued file has been reported (the signals are sent
    // before this returns), or msecs pass (-1: no limit). True when none is left.
    bool finish(int msecs = -1);

Q_SIGNALS:
    void recorded(const QString& path, const zk::PhotoRecord& record);
    void failed(const QString& path, const QString& reason);
    // Every queued file has been reported.
    void idle();

private:
    void deliver(const QString& path, const PhotoRecord& record, const QString& reason);

    QThreadPool pool;
    // Replaced on cancel(): the jobs of an older batch see theirs turn true.
    std::shared_ptr<std::atomic_bool> cancelled;
    int outstanding = 0;
};

} // namespace zk
