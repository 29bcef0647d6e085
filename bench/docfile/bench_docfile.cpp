// Writes and reads an album of 32,766 entries and compares each direction
// with the time the system's iconv takes to convert the same file from CP932,
// and saving with opening; then opens and saves the same album with photo
// information and a record on every entry (kept beside it) against without,
// both as the window does it (AlbumFiles).

#include "docfile/albumfiles.h"
#include "docfile/documentreader.h"
#include "docfile/documentwriter.h"
#include "docfile/infofile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace zk;

namespace {

Document realisticAlbum()
{
    const QStringList works = { "基礎配筋", "型枠組立", "コンクリート打設", "埋戻し", "床掘り",
        "舗装工", "側溝据付", "鉄筋検査", "出来形確認", "安全訓練" };
    const QStringList places = { "A-1工区", "B-2工区", "北側法面", "南側擁壁", "橋台部" };
    const QStringList notes = { "配筋状況 D13@200", "かぶり厚さ確認 40mm", "立会者：監督員 山田",
        "使用材料：生コン 24-8-20", "天候：晴れ　気温18℃", "ｽﾗﾝﾌﾟ試験 8.0cm", "施工前",
        "施工後、清掃済み" };
    QRandomGenerator random(2024);
    Document d;
    for (int n = 1; n <= CoverData::FieldCount; ++n)
        d.cover.setLine(n, QString::number(n));
    d.cover.setField(CoverField::ProjectName, QStringLiteral("市道１号線道路改良工事（その２）"));
    for (int i = 1; i <= EntryTable::MaxEntries; ++i) {
        const QString title = works.at(random.bounded(works.size()));
        QStringList lines { places.at(random.bounded(places.size())) };
        for (int k = random.bounded(1, 4); k > 0; --k)
            lines << notes.at(random.bounded(notes.size()));
        const QString image = QStringLiteral("C:\\工事写真\\2024年度\\%1\\P%2.JPG")
                                  .arg(title)
                                  .arg(i, 5, 10, QLatin1Char('0'));
        d.entries.append_entry(number_text(i), title, lines.join(QLatin1String("\r\n")), image);
    }
    return d;
}

// Every entry classified as a delivery asks, with the record of its photo;
// `full` also fills the other items, every tenth entry all of them.
Document withInformation(Document d, bool full)
{
    const QStringList classes = photo_classes();
    QRandomGenerator random(2025);
    for (int i = 1; i <= d.entries.entry_count(); ++i) {
        const Entry& e = d.entries.entry(i);
        PhotoInfo info;
        info.largeClass = QStringLiteral("工事");
        info.photoClass = classes.at(random.bounded(classes.size()));
        info.workType = QStringLiteral("道路土工");
        info.kind = e.title;
        info.detail = QStringLiteral("細別%1").arg(random.bounded(20));
        if (full)
            info.spot = e.text.section(QLatin1String("\r\n"), 0, 0);
        info.shotDate = QStringLiteral("2024-%1-%2")
                            .arg(random.bounded(1, 13), 2, 10, QLatin1Char('0'))
                            .arg(random.bounded(1, 29), 2, 10, QLatin1Char('0'));
        if (!full)
            info.shotDate.clear();
        info.representative = full ? QStringLiteral("0") : QString();
        info.frequency = full ? QStringLiteral("1") : QString();
        if (full && i % 10 == 0) {
            info.reserves = { QStringLiteral("予備A"), QStringLiteral("予備B") };
            info.controlValue = QStringLiteral("幅 設計 3.00m 実測 3.02m");
            info.drawings = { { QStringLiteral("C:\\工事写真\\図面\\平面図.pdf"),
                QStringLiteral("平面図") } };
        }
        d.entries.set_info(i, info);
        d.records.insert(e.image,
            { 3'000'000 + random.bounded(1'000'000), 1'700'000'000'000 + i,
                QByteArray(64, 'a' + char(i % 6)) });
    }
    return d;
}

template <typename F> double bestOf(int runs, F f)
{
    double best = 1e300;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.zkr"));
    const Document album = realisticAlbum();

    bool ok = true;
    const double write = bestOf(5, [&] { ok &= write_document(path, album).ok(); });
    const double encode = bestOf(5, [&] { ok &= encode_document(album).ok(); });
    const double read = bestOf(5, [&] { ok &= read_document(path).ok(); });
    // Open and save as the window does them: the album file and the file
    // beside it, without and with information.
    const Document informed = withInformation(album, true);
    const Document classified = withInformation(album, false);
    const auto save = [&path, &ok](const Document& d) { ok &= AlbumFiles::write(path, d).ok(); };
    // Opening ends with the album in memory, as the window then holds it;
    // freeing an album belongs to closing it, so the albums opened are freed
    // after the clock stops, and that is timed on its own.
    std::vector<AlbumRead> opened;
    opened.reserve(5);
    const auto open = [&path, &ok, &opened](int expectedRecords) {
        opened.push_back(AlbumFiles::read(path));
        const AlbumRead& r = opened.back();
        ok &= r.read.ok() && r.info.outcome != InfoReadResult::Outcome::Damaged
            && r.read.document.records.size() == expectedRecords;
    };
    const auto freeOpened = [&opened] {
        QElapsedTimer t;
        t.start();
        const double count = double(opened.size());
        opened.clear();
        return t.nsecsElapsed() / 1e6 / count;
    };
    const double savePlain = bestOf(5, [&] { save(album); });
    const double openPlain = bestOf(5, [&] { open(0); });
    const double freePlain = freeOpened();
    const double saveInformed = bestOf(5, [&] { save(informed); });
    const qint64 infoSize = QFileInfo(InfoFile::path_for(path)).size();
    const double openInformed = bestOf(5, [&] { open(EntryTable::MaxEntries); });
    const double freeInformed = freeOpened();
    const double saveClassified = bestOf(5, [&] { save(classified); });
    const qint64 classifiedSize = QFileInfo(InfoFile::path_for(path)).size();
    const double openClassified = bestOf(5, [&] { open(EntryTable::MaxEntries); });
    freeOpened();
    save(album);

    const double iconv = bestOf(5, [&] {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(QStringLiteral("iconv"),
            { QStringLiteral("-f"), QStringLiteral("CP932"), QStringLiteral("-t"),
                QStringLiteral("UTF-8"), path });
        ok &= p.waitForFinished(60000) && p.exitCode() == 0;
    });
    if (!ok) {
        std::fprintf(stderr, "bench_docfile: a run failed\n");
        return 1;
    }
    std::printf("album: %d entries, %.1f MiB\n", EntryTable::MaxEntries,
        QFileInfo(path).size() / 1048576.0);
    std::printf("encode %8.1f ms  (the bytes only)\n", encode);
    std::printf(
        "write  %8.1f ms  (%.1f x iconv; encode, write, sync, rename)\n", write, write / iconv);
    std::printf("read   %8.1f ms  (%.1f x iconv)\n", read, read / iconv);
    std::printf("iconv  %8.1f ms  (iconv -f CP932 -t UTF-8, best of 5)\n", iconv);
    const bool metIconv = write <= 10 * iconv && read <= 10 * iconv;
    std::printf("target: each direction within 10 x iconv: %s\n", metIconv ? "met" : "NOT met");
    const bool metRead = write <= 1.5 * read;
    std::printf(
        "target: save within 1.5 x open (%.2f x): %s\n", write / read, metRead ? "met" : "NOT met");
    std::printf("with information on every entry (%.1f MiB beside the album):\n",
        infoSize / 1048576.0);
    std::printf("save   %8.1f ms  without %8.1f ms  (%.2f x)\n", saveInformed, savePlain,
        saveInformed / savePlain);
    std::printf("open   %8.1f ms  without %8.1f ms  (%.2f x)\n", openInformed, openPlain,
        openInformed / openPlain);
    std::printf("  (freeing the album opened, at closing: %.1f ms, without %.1f ms)\n",
        freeInformed, freePlain);
    std::printf("classification and record only (%.1f MiB): save %.1f ms, open %.1f ms (%.2f x)\n",
        classifiedSize / 1048576.0, saveClassified, openClassified,
        (saveClassified + openClassified) / (savePlain + openPlain));
    // Each direction on its own.
    const bool metInfo = saveInformed <= 1.5 * savePlain && openInformed <= 1.5 * openPlain;
    std::printf("target: open and save with information each within 1.5 x without: %s\n",
        metInfo ? "met" : "NOT met");
    return metIconv && metRead && metInfo ? 0 : 1;
}
