// Times the album's steps on an album of 32,766 entries: insert at position 1
// and its undo, the undo stack's memory after 10,000 typed characters, and
// the recovery copy against a normal save.

#include "app/autosaver.h"
#include "docfile/documentwriter.h"
#include "docfile/recoveryfile.h"
#include "model/album.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUndoStack>

#include <malloc.h>

#include <algorithm>
#include <cstdio>

using namespace zk;

namespace {

// Filled like a real album; the last page is left empty, as it is after a
// photo filled the last slot.
Document realisticAlbum()
{
    const QStringList works = { "基礎配筋", "型枠組立", "コンクリート打設", "埋戻し", "床掘り",
        "舗装工", "側溝据付", "鉄筋検査", "出来形確認", "安全訓練" };
    const QStringList notes = { "配筋状況 D13@200", "かぶり厚さ確認 40mm", "立会者：監督員 山田",
        "使用材料：生コン 24-8-20", "天候：晴れ　気温18℃", "施工後、清掃済み" };
    QRandomGenerator random(2024);
    Document d;
    for (int n = 1; n <= CoverData::FieldCount; ++n)
        d.cover.setLine(n, QString::number(n));
    for (int i = 1; i <= EntryTable::MaxEntries; ++i) {
        if (i > EntryTable::MaxEntries - 3) {
            d.entries.append_entry(number_text(i), {}, {}, {});
            continue;
        }
        const QString title = works.at(random.bounded(works.size()));
        const QString text = notes.at(random.bounded(notes.size())) + QStringLiteral("\r\n")
            + notes.at(random.bounded(notes.size()));
        const QString image = QStringLiteral("/home/user/工事写真/2024年度/%1/P%2.JPG")
                                  .arg(title)
                                  .arg(i, 5, 10, QLatin1Char('0'));
        d.entries.append_entry(number_text(i), title, text, image);
    }
    return d;
}

double msSince(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

qint64 heapInUse()
{
    return qint64(mallinfo2().uordblks);
}

// Types 10,000 characters into one text box, a pause before each when
// `pauses` (so that every character is a step of its own), and returns the
// heap the undo stack holds afterwards, in MiB; undoes it all.
double typingMemory(bool pauses, double* undoMs)
{
    Album album;
    qint64 now = 0;
    album.setClock([&now] { return now; });
    album.replace_document(realisticAlbum(), {});
    const qint64 before = heapInUse();
    QString text;
    for (int i = 0; i < 10000; ++i) {
        text += QChar(u'あ' + i % 80);
        now += pauses ? Album::TypingPause : 100;
        album.set_text(4, text);
    }
    const double mib = (heapInUse() - before) / 1048576.0;
    QElapsedTimer t;
    t.start();
    while (album.undoStack()->canUndo())
        album.undoStack()->undo();
    *undoMs = msSince(t);
    return mib;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    bool met = true;
    const auto report = [&met](const char* what, double value, const char* unit, double target) {
        const bool ok = value <= target;
        met &= ok;
        std::printf("%-44s %9.2f %-3s (target <= %g %s) %s\n", what, value, unit, target, unit,
            ok ? "met" : "NOT met");
    };

    Album album;
    album.replace_document(realisticAlbum(), {});
    std::printf("album: %d entries\n", album.entries().entry_count());

    QList<double> inserts, undos;
    for (int run = 0; run < 15; ++run) {
        QElapsedTimer t;
        t.start();
        album.insert_place(1);
        inserts << msSince(t);
        t.restart();
        album.undoStack()->undo();
        undos << msSince(t);
    }
    report("insert at position 1 (median of 15)", median(inserts), "ms", 20);
    report("its undo (median of 15)", median(undos), "ms", 20);

    double undoMerged = 0, undoSteps = 0;
    const double merged = typingMemory(false, &undoMerged);
    const double steps = typingMemory(true, &undoSteps);
    report("undo stack, 10,000 characters typed at once", merged, "MiB", 16);
    report("undo stack, 10,000 characters, one step each", steps, "MiB", 16);
    std::printf("%-44s %9.2f ms  / %.2f ms\n", "undo of all (at once / one step each)", undoMerged,
        undoSteps);

    // A normal save against the recovery copy, both written whole.
    const QString zkr = dir.filePath(QStringLiteral("bench.zkr"));
    QList<double> saves, copies, blocking;
    RecoveryFile file(dir.filePath(QStringLiteral("recovery")));
    QString error;
    if (!file.claim(&error)) {
        std::fprintf(stderr, "bench_album: %s\n", qPrintable(error));
        return 1;
    }
    AutoSaver saver(album, file, 3600 * 1000);
    for (int run = 0; run < 5; ++run) {
        album.set_title(1, QStringLiteral("題%1").arg(run));
        QElapsedTimer t;
        t.start();
        if (!write_document(zkr, album.document()).ok()) {
            std::fprintf(stderr, "bench_album: the save failed\n");
            return 1;
        }
        saves << msSince(t);
        t.restart();
        saver.save_now();
        blocking << msSince(t);
        saver.wait();
        copies << msSince(t);
    }
    const double save = median(saves);
    std::printf("%-44s %9.2f ms\n", "normal save (median of 5)", save);
    std::printf("%-44s %9.2f ms\n", "recovery copy, whole (median of 5)", median(copies));
    report("recovery copy / normal save", median(copies) / save, "x", 3);
    report("recovery copy, UI thread blocked (max of 5)",
        *std::max_element(blocking.cbegin(), blocking.cend()), "ms", 50);
    std::printf("targets: %s\n", met ? "all met" : "NOT all met");
    return met ? 0 : 1;
}
