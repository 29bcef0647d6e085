// zkrtool: a command-line companion for Zelkora album files.

#include "docfile/albumfiles.h"
#include "docfile/albumjson.h"
#include "docfile/albumlock.h"
#include "deliverytool.h"
#include "quietstderr.h"

#include "check/albumcheck.h"
#include "cover/corpini.h"
#include "cover/coverdefaults.h"
#include "docfile/captioncsv.h"
#include "docfile/documentreader.h"
#include "docfile/documentwriter.h"
#include "docfile/infofile.h"
#include "docfile/safefile.h"
#include "model/album.h"
#include "photos/importcandidate.h"
#include "photos/importplan.h"
#include "photos/photorecorder.h"
#include "photos/relinkfinder.h"
#include "print/albumprint.h"
#include "print/fontsubstitutes.h"
#include "print/painterprintdevice.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPdfWriter>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

namespace {

enum Exit { Success = 0, DocumentError = 1, UsageError = 2 };

const char usage[]
    = "Usage: zkrtool [--verbose] COMMAND ARGUMENTS\n"
      "\n"
      "Commands (those that write an album refuse one that is open in Zelkora\n"
      "elsewhere, unless given --force):\n"
      "  dump FILE.zkr            Write the album as the program holds it after opening\n"
      "                           (whole pages) to standard output as UTF-8 JSON:\n"
      "                           {\"cover\": [14 strings], \"entries\": [{\"number\", \"title\",\n"
      "                           \"text\", \"image\"}, ...]}. Line breaks in texts are "
      "\"\\r\\n\".\n"
      "                           The photo information beside the album (FILE.zkinfo) shows\n"
      "                           as \"info\" per entry, with \"records\" and \"setAside\" when\n"
      "                           there are any. Commands that write an album also write its\n"
      "                           information beside it.\n"
      "  build FILE.json OUT.zkr  Write an album from that JSON, as the program saves one.\n"
      "  copy IN.zkr OUT.zkr      Open an album and save it again as the program would;\n"
      "                           a file the program wrote comes out byte for byte the same.\n"
      "  defaults [--date YYYY-MM-DD] [--reiwa]\n"
      "                           Print the fourteen cover defaults for today (or that date)\n"
      "                           as a JSON array, with corp.ini looked up as the program does;\n"
      "                           years of 平成, or of 令和 with --reiwa.\n"
      "  pdf FILE.zkr OUT.pdf [--page N] [--reiwa]\n"
      "                           Print the album as the print command does (cover and every\n"
      "                           page, one copy) into a PDF on A4 portrait whose printable\n"
      "                           area is the whole sheet, photos at 300 dpi; with --page N\n"
      "                           only photo page N, as the single-page print prints it.\n"
      "                           The cover names its years 平成, or 令和 with --reiwa.\n"
      "                           OUT.pdf is written only when the whole job succeeds.\n"
      "  check FILE.zkr [--reiwa]  Look the album over as the program does before printing:\n"
      "                           one line \"No.N: message\" per problem (\"表紙: ...\" for the\n"
      "                           cover); exit 1 when problems were found. Shooting dates are\n"
      "                           held against the cover's construction period, its years\n"
      "                           counted in 平成, or 令和 with --reiwa.\n"
      "  csv-export FILE.zkr OUT.csv [--sjis]\n"
      "                           Write every entry's caption as CSV: a header row, then\n"
      "                           番号,タイトル,説明,写真ファイル per entry, line breaks kept\n"
      "                           inside quotes; UTF-8 with a byte-order mark, or Shift-JIS.\n"
      "                           An album with photo information adds a column per item.\n"
      "  csv-import FILE.zkr IN.csv OUT.zkr\n"
      "                           Set the captions from CSV, row k to entry k, as the window's\n"
      "                           CSV import does: columns found by their header (Japanese or\n"
      "                           number,title,text,image), empty cells and missing columns\n"
      "                           leave the entry as it is, more rows add pages. CSV files\n"
      "                           up to 16 MiB, UTF-8 or Shift-JIS. Nothing is written when\n"
      "                           a row cannot be applied.\n"
      "  import FILE.zkr OUT.zkr [--order name|time|given] [--at N] [--fill] [--board-text]\n"
      "         PHOTO...\n"
      "                           Place the photos (a folder stands for the picture files\n"
      "                           directly in it) into the album from entry N (default 1):\n"
      "                           inserted, later entries moving back, or with --fill only\n"
      "                           into entries without a photo. Ordered by file name in\n"
      "                           natural order (default), by shooting time (EXIF, else the\n"
      "                           file's modification time) or as given. Pages are added as\n"
      "                           needed; an album that would pass 32766 entries is refused\n"
      "                           unchanged. Unreadable files, paths that Shift-JIS cannot\n"
      "                           hold and repeated files are left out and listed on stderr.\n"
      "                           A photo's blackboard data (XMP) fills its entry's empty\n"
      "                           photo information and title; with --board-text also an\n"
      "                           empty text. Each photo's size, time and SHA-256 are kept\n"
      "                           beside the album.\n"
      "  relink FILE.zkr OUT.zkr FOLDER\n"
      "                           Look for every missing photo by its file name in FOLDER and\n"
      "                           its subfolders and write the album with the paths of those\n"
      "                           found once; the others are listed on stderr.\n"
      "  delivery FILE.zkr OUTDIR [--standard CODE] [--reiwa]\n"
      "                           Write the electronic delivery OUTDIR/PHOTO: PHOTO.XML,\n"
      "                           PHOTO05.DTD, the photos as PIC/P0000001.JPG ... and the\n"
      "                           reference drawings as DRA/D0000001.JPG ..., copied byte for\n"
      "                           byte. 適用要領基準 is CODE (default 土木202303-01). Every\n"
      "                           problem is listed as \"No.N: message\" and nothing is written\n"
      "                           (exit 1); warnings (dates outside the cover's period, read\n"
      "                           in 平成 or with --reiwa in 令和, photos changed or over 3\n"
      "                           million pixels) are listed after writing.\n"
      "  delivery-check DIR [--period YYYY-MM-DD:YYYY-MM-DD]\n"
      "                           Check a PHOTO folder (DIR or DIR/PHOTO), made here or\n"
      "                           elsewhere: one line \"エラー: FILE: message\" or \"注意: ...\"\n"
      "                           per finding; exit 1 when there is an error.\n"
      "\n"
      "Options:\n"
      "  --verbose                Also show the warnings of Qt and of the image libraries\n"
      "                           (corrupt JPEG data, libpng errors, ...) on standard error.\n"
      "\n"
      "Exit status: 0 on success, 1 when a file cannot be read, written or applied (for pdf\n"
      "also a photo, named by its entry; for csv-import a row, named by its CSV line, and\n"
      "nothing is written; for import a photo left out or an album too large; for relink a\n"
      "photo not found; for check when it found problems; for delivery a problem; for\n"
      "delivery-check an error), 2 on wrong usage.\n";

// Qt's warnings ("QStandardPaths: XDG_RUNTIME_DIR not set", "Corrupt JPEG
// data", ...) say nothing a user of zkrtool can act on; whatever matters comes
// back as a result and is reported in zkrtool's own line. A fatal message
// still explains the abort that follows it.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg)
        std::fprintf(stderr, "zkrtool: %s\n", message.toLocal8Bit().constData());
}

void writeOut(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

int fail(const QString& message)
{
    // One line on standard error, whatever line breaks the message holds.
    QString line = message;
    line.replace(QLatin1String("\n\n"), QLatin1String(": "))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "zkrtool: %s\n", line.toUtf8().constData());
    return DocumentError;
}

// An album with the information beside it. What the information file tells
// (entries set aside, a damaged file) goes to standard error; it never stops
// the album from being read.
zk::ReadResult readAlbum(const QString& path)
{
    zk::AlbumRead opened = zk::AlbumFiles::read(path);
    if (!opened.info.message.isEmpty())
        fail(opened.info.message);
    return std::move(opened.read);
}

// The album file, then the information beside it; either failing fails.
zk::WriteResult writeAlbum(const QString& path, const zk::Document& document)
{
    return zk::AlbumFiles::write(path, document);
}

int usageError(const char* what)
{
    std::fprintf(stderr, "zkrtool: %s\n\n%s", what, usage);
    return UsageError;
}

int dump(const QString& path)
{
    const zk::ReadResult read = readAlbum(path);
    if (!read.ok())
        return fail(read.message);
    writeOut(zk::AlbumJson::fromDocument(read.document));
    return Success;
}

int build(const QString& jsonPath, const QString& out)
{
    QFile file(jsonPath);
    if (!file.open(QIODevice::ReadOnly))
        return fail(jsonPath + QStringLiteral(": 開けません (%1).").arg(file.errorString()));
    zk::Document document;
    QString error;
    if (!zk::AlbumJson::toDocument(file.readAll(), &document, &error))
        return fail(jsonPath + QLatin1String(": ") + error);
    const zk::WriteResult written = writeAlbum(out, document);
    return written.ok() ? Success : fail(written.message);
}

int copy(const QString& in, const QString& out)
{
    const zk::ReadResult read = readAlbum(in);
    if (!read.ok())
        return fail(read.message);
    const zk::WriteResult written = writeAlbum(out, read.document);
    return written.ok() ? Success : fail(written.message);
}

int defaults(const QStringList& args)
{
    QDate date = QDate::currentDate();
    zk::Era era = zk::Era::Heisei;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--date") && i + 1 < args.size()) {
            date = QDate::fromString(args.at(++i), Qt::ISODate);
            if (!date.isValid())
                return usageError("--date needs a date written YYYY-MM-DD");
        } else if (args.at(i) == QLatin1String("--reiwa")) {
            era = zk::Era::Reiwa;
        } else {
            return usageError("defaults takes only --date YYYY-MM-DD and --reiwa");
        }
    }
    const zk::CoverData cover = zk::cover_defaults(date, zk::CorpIni::find(), era);
    QStringList fields;
    for (int n = 1; n <= zk::CoverData::FieldCount; ++n)
        fields << cover.line(n);
    writeOut(zk::AlbumJson::fromStrings(fields));
    return Success;
}

// A4 portrait without margins, as the album is laid out: the printable area
// is the whole sheet.
void setUpPdf(QPdfWriter& writer, const zk::Document& document)
{
    writer.setCreator(QStringLiteral("zkrtool"));
    writer.setTitle(document.cover.field(zk::CoverField::ProjectName));
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
        QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
}

// The whole album (page 0) or one page, drawn on device.
zk::PrintResult printPdf(
    zk::PrintDevice& device, const zk::Document& document, int page, zk::Era era, bool verbose)
{
    // Printing keeps no photo beyond its page: every photo is decoded anew.
    const zk::PhotoSource photos = zk::print_photo_source();
    zk::PrintResult result;
    std::optional<zk::QuietStderr> quiet;
    if (!verbose)
        quiet.emplace();
    if (page == 0) {
        // The next two pages' photos are decoded on other cores while a page is drawn.
        zk::PrintOptions options;
        options.pagesAhead = 2;
        options.threads = std::max(2, QThread::idealThreadCount());
        options.era = era;
        return zk::print_album(device, document, photos, {}, options);
    }
    zk::PageSlots slots;
    result = zk::load_page_slots(
        slots, document.entries, page, photos, zk::photo_print_size(device.pictureDpi()));
    if (result.ok())
        result = zk::print_page(device, slots);
    return result;
}

int pdf(const QStringList& args, bool verbose)
{
    QStringList files;
    int page = 0;
    zk::Era era = zk::Era::Heisei;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--reiwa")) {
            era = zk::Era::Reiwa;
        } else if (args.at(i) == QLatin1String("--page")) {
            bool number = false;
            page = i + 1 < args.size() ? args.at(i + 1).toInt(&number) : 0;
            if (!number || page < 1)
                return usageError("--page needs a page number from 1");
            ++i;
        } else {
            files << args.at(i);
        }
    }
    if (files.size() != 2)
        return usageError("pdf takes an album file and an output file");

    const zk::ReadResult read = readAlbum(files.at(0));
    if (!read.ok())
        return fail(read.message);
    const zk::Document& document = read.document;
    if (page > document.entries.page_count()) {
        std::fprintf(stderr, "zkrtool: --page %d: the album has %d pages\n", page,
            document.entries.page_count());
        return UsageError;
    }

    zk::install_font_substitutes();
    // The PDF replaces OUT.pdf only when the whole job succeeded.
    zk::SafeFile out(files.at(1));
    if (!out.open())
        return fail(zk::save_failure_message(files.at(1), out));
    QPdfWriter writer(&out);
    setUpPdf(writer, document);
    zk::PrintResult result;
    {
        zk::PainterPrintDevice device(&writer);
        result = printPdf(device, document, page, era, verbose);
    }
    if (!result.ok()) {
        out.cancel();
        // A photo's failure names its entry and file; any other names the PDF.
        return fail(result.file.isEmpty() ? files.at(1) + QLatin1String("\n\n") + result.message
                                          : result.message);
    }
    if (!out.commit())
        return fail(zk::save_failure_message(files.at(1), out));
    return Success;
}

int check(const QStringList& args)
{
    QStringList files;
    zk::Era era = zk::Era::Heisei;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--reiwa"))
            era = zk::Era::Reiwa;
        else
            files << arg;
    }
    if (files.size() != 1)
        return usageError("check takes one file and optionally --reiwa");
    const zk::ReadResult read = readAlbum(files.at(0));
    if (!read.ok())
        return fail(read.message);
    zk::install_font_substitutes();
    const QList<zk::CheckProblem> problems = zk::AlbumCheck::run(read.document, 1, 0, era);
    QByteArray out;
    for (const zk::CheckProblem& p : problems)
        out += p.toString().toUtf8() + '\n';
    writeOut(out);
    return problems.isEmpty() ? Success : DocumentError;
}

int csvExport(const QStringList& args)
{
    QStringList files;
    zk::CsvEncoding encoding = zk::CsvEncoding::Utf8;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--sjis"))
            encoding = zk::CsvEncoding::ShiftJis;
        else if (arg.startsWith(QLatin1String("--")))
            return usageError("csv-export knows only --sjis");
        else
            files << arg;
    }
    if (files.size() != 2)
        return usageError("csv-export takes an album file and an output file");
    const zk::ReadResult read = readAlbum(files.at(0));
    if (!read.ok())
        return fail(read.message);
    const zk::CsvExportResult csv = zk::encode_caption_csv(read.document.entries, encoding);
    if (!csv.ok())
        return fail(files.at(0) + QLatin1String(": ") + csv.message);
    zk::SafeFile out(files.at(1));
    if (!out.open() || out.write(csv.bytes) != csv.bytes.size() || !out.commit())
        return fail(files.at(1) + QStringLiteral(": 書き込めません (%1).").arg(out.failure()));
    return Success;
}

int csvImport(const QString& albumPath, const QString& csvPath, const QString& outPath)
{
    const zk::ReadResult read = readAlbum(albumPath);
    if (!read.ok())
        return fail(read.message);
    const zk::CsvReadResult csv = zk::read_caption_csv(csvPath);
    if (!csv.ok())
        return fail(csv.message);
    zk::Album album;
    album.replace_document(read.document, albumPath);
    const zk::CaptionImportPlan plan = zk::plan_caption_import(album.entries(), csv.rows);
    if (!plan.ok())
        return fail(csvPath + QLatin1String("\n\n") + plan.message);
    if (!plan.contents.isEmpty()
        && !album.set_contents(plan.contents, QStringLiteral("CSVから読み込み"))) {
        return fail(
            csvPath + QStringLiteral("\n\n写真帳の大きさの上限を超えるため読み込めません."));
    }
    const zk::WriteResult written = writeAlbum(outPath, album.document());
    return written.ok() ? Success : fail(written.message);
}

// The options of import and the files it names.
struct ImportArgs
{
    QStringList files;
    zk::ImportOrder order = zk::ImportOrder::Name;
    zk::Placement placement = zk::Placement::Insert;
    int at = 1;
    bool boardText = false;
};

// Reads import's options; an exit status when they are wrong.
std::optional<int> parseImportArgs(const QStringList& args, ImportArgs* parsed)
{
    QStringList& files = parsed->files;
    zk::ImportOrder& order = parsed->order;
    zk::Placement& placement = parsed->placement;
    int& at = parsed->at;
    bool& boardText = parsed->boardText;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--order")) {
            const QString value = i + 1 < args.size() ? args.at(++i) : QString();
            if (value == QLatin1String("name"))
                order = zk::ImportOrder::Name;
            else if (value == QLatin1String("time"))
                order = zk::ImportOrder::Time;
            else if (value == QLatin1String("given"))
                order = zk::ImportOrder::Given;
            else
                return usageError("--order takes name, time or given");
        } else if (arg == QLatin1String("--at")) {
            bool number = false;
            at = i + 1 < args.size() ? args.at(++i).toInt(&number) : 0;
            if (!number || at < 1)
                return usageError("--at needs an entry number from 1");
        } else if (arg == QLatin1String("--fill")) {
            placement = zk::Placement::Fill;
        } else if (arg == QLatin1String("--board-text")) {
            boardText = true;
        } else {
            files << arg;
        }
    }
    if (files.size() < 3)
        return usageError("import takes an album file, an output file and photos");
    return std::nullopt;
}

// The files that can be placed, in the order asked for; the others, each
// with its reason, go to leftOut.
QList<zk::ImportCandidate> importCandidates(const QStringList& files, QStringList* leftOut)
{
    QList<zk::ImportCandidate> candidates;
    QStringList seen;
    for (const QString& path : zk::ImportCandidate::expand_folders(files)) {
        zk::ImportCandidate candidate = zk::ImportCandidate::inspect(path);
        const QString key = QFileInfo(path).absoluteFilePath();
        if (seen.contains(key))
            candidate.problem = QStringLiteral("同じファイルが二度選ばれています.");
        seen << key;
        if (candidate.placeable())
            candidates << candidate;
        else
            *leftOut << path + QLatin1String(": ") + candidate.problem;
    }
    return candidates;
}

// Records size, time and SHA-256 of the placed photos; those that cannot be
// read go to leftOut.
void recordPhotos(zk::Album& album, const QStringList& photos, QStringList* leftOut)
{
    for (const QString& photo : photos) {
        QString reason;
        const zk::PhotoRecord record = zk::PhotoRecorder::record(photo, &reason);
        if (record.isValid())
            album.record_photo(photo, record);
        else
            *leftOut << photo + QStringLiteral(": 記録を取れませんでした: ") + reason;
    }
}

int importPhotos(const QStringList& args)
{
    ImportArgs options;
    if (const std::optional<int> wrong = parseImportArgs(args, &options))
        return *wrong;
    QStringList files = options.files;
    const int at = options.at;
    const QString in = files.takeFirst();
    const QString out = files.takeFirst();

    const zk::ReadResult read = readAlbum(in);
    if (!read.ok())
        return fail(read.message);
    if (at > read.document.entries.entry_count() + 1) {
        std::fprintf(stderr, "zkrtool: --at %d: the album has %d entries\n", at,
            read.document.entries.entry_count());
        return UsageError;
    }

    QStringList leftOut;
    const QList<zk::ImportCandidate> candidates = importCandidates(files, &leftOut);
    QStringList photos;
    QHash<QString, zk::PhotoFacts> facts;
    for (const zk::ImportCandidate& c : zk::ImportPlan::order(candidates, options.order)) {
        photos << c.path;
        if (c.facts.hasBoard)
            facts.insert(c.path, c.facts);
    }
    zk::ImportPlan plan = zk::ImportPlan::make(read.document.entries, at, options.placement, photos);
    plan.facts = facts;
    plan.boardText = options.boardText;
    if (!plan.fits())
        return fail(QStringLiteral("%1: 写真帳は %2 件までのため、No.%3 からはあと %4 枚しか入りません "
                                   "(%5 枚が選ばれています). 何も取り込んでいません.")
                        .arg(in)
                        .arg(zk::EntryTable::MaxEntries)
                        .arg(plan.start)
                        .arg(plan.room)
                        .arg(photos.size()));

    zk::Album album;
    album.replace_document(read.document, in);
    if (!plan.apply(album, QStringLiteral("写真の一括取込")))
        return fail(in + QStringLiteral(": 写真帳が大きくなりすぎるため取り込めません."));
    recordPhotos(album, plan.photos, &leftOut);
    const zk::WriteResult written = writeAlbum(out, album.document());
    if (!written.ok())
        return fail(written.message);
    for (const QString& line : std::as_const(leftOut))
        fail(line);
    return leftOut.isEmpty() ? Success : DocumentError;
}

int relink(const QStringList& args)
{
    if (args.size() != 3)
        return usageError("relink takes an album file, an output file and a folder");
    if (!QFileInfo(args.at(2)).isDir())
        return fail(args.at(2) + QStringLiteral(": フォルダーが見つかりません."));
    const zk::ReadResult read = readAlbum(args.at(0));
    if (!read.ok())
        return fail(read.message);
    const zk::RelinkResult found = zk::RelinkResult::find(read.document.entries, args.at(2));

    zk::Album album;
    album.replace_document(read.document, args.at(0));
    QMap<int, zk::EntryContent> contents;
    for (auto it = found.found.cbegin(); it != found.found.cend(); ++it) {
        zk::EntryContent content = album.content(it.key());
        // The moved file is the photo that was placed: its record goes along.
        const auto record = album.document().records.constFind(content.image);
        if (record != album.document().records.constEnd())
            album.record_photo(it.value(), zk::PhotoRecord(*record));
        content.image = it.value();
        contents.insert(it.key(), content);
    }
    if (!contents.isEmpty())
        album.set_contents(contents, QStringLiteral("写真フォルダの再設定"));
    const zk::WriteResult written = writeAlbum(args.at(1), album.document());
    if (!written.ok())
        return fail(written.message);

    std::fprintf(stderr, "zkrtool: %lld found, %lld ambiguous, %lld missing\n",
        static_cast<long long>(found.found.size()), static_cast<long long>(found.ambiguous.size()),
        static_cast<long long>(found.missing.size()));
    const auto list = [&album](const QList<int>& positions, const QString& why) {
        for (int p : positions)
            fail(QStringLiteral("No.%1 %2: %3").arg(p).arg(album.entries().entry(p).image, why));
    };
    list(found.ambiguous, QStringLiteral("同じ名前のファイルが複数あります."));
    list(found.missing, QStringLiteral("見つかりません."));
    for (auto it = found.unusable.cbegin(); it != found.unusable.cend(); ++it)
        fail(QStringLiteral("No.%1 %2: 同じ名前のファイル %3")
                 .arg(it.key())
                 .arg(album.entries().entry(it.key()).image, it.value()));
    for (const QString& folder : found.unreadableFolderPaths)
        fail(folder + QStringLiteral(": フォルダーを読めないため、中を探していません."));
    return found.ambiguous.isEmpty() && found.missing.isEmpty() && found.unusable.isEmpty()
        ? Success
        : DocumentError;
}

// The album a command writes, or "" for a command that writes none: the
// second file of build, copy, import and relink, the third of csv-import.
QString albumWritten(const QString& command, const QStringList& args)
{
    int wanted = 0;
    if (command == QLatin1String("csv-import"))
        wanted = 3;
    else if (command == QLatin1String("build") || command == QLatin1String("copy")
        || command == QLatin1String("import") || command == QLatin1String("relink"))
        wanted = 2;
    // Options that take a value; every other option stands alone.
    const QStringList valued = { QStringLiteral("--order"), QStringLiteral("--at") };
    int seen = 0;
    for (qsizetype i = 0; wanted > 0 && i < args.size(); ++i) {
        if (valued.contains(args.at(i))) {
            ++i;
        } else if (!args.at(i).startsWith(QLatin1String("--")) && ++seen == wanted) {
            return args.at(i);
        }
    }
    return {};
}

} // namespace

int main(int argc, char* argv[])
{
    // Only pdf and check (which measures text) need fonts from a GUI application; it draws no
    // window, so it needs no display either.
    bool verbose = false;
    const char* first = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--verbose") == 0)
            verbose = true;
        else if (!first)
            first = argv[i];
    }
    if (!verbose)
        qInstallMessageHandler(quietMessages);
    const bool drawing
        = first && (std::strcmp(first, "pdf") == 0 || std::strcmp(first, "check") == 0);
    if (drawing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app = drawing
        ? std::make_unique<QGuiApplication>(argc, argv)
        : std::make_unique<QCoreApplication>(argc, argv);
    // The same name as the program's, so both find ~/.config/zelkora/corp.ini.
    QCoreApplication::setApplicationName(QStringLiteral("zelkora"));

    QStringList args = QCoreApplication::arguments().mid(1);
    args.removeAll(QStringLiteral("--verbose"));
    if (args.isEmpty())
        return usageError("no command given");
    const QString command = args.takeFirst();
    // An album that someone has open in the window is not written behind
    // their back unless asked for.
    const bool force = args.removeAll(QStringLiteral("--force")) > 0;
    if (const QString target = albumWritten(command, args); !target.isEmpty() && !force) {
        const zk::LockOwner holder = zk::AlbumLock::otherHolder(target);
        if (holder.isValid())
            return fail(target
                + QStringLiteral(": ほかの人が開いています (%1). 書き込むには --force を付けてください.")
                      .arg(holder.describe()));
    }

    if (command == QLatin1String("--help") || command == QLatin1String("-h")
        || command == QLatin1String("help")) {
        writeOut(usage);
        return Success;
    }
    if (command == QLatin1String("dump"))
        return args.size() == 1 ? dump(args.at(0)) : usageError("dump takes one file");
    if (command == QLatin1String("build"))
        return args.size() == 2 ? build(args.at(0), args.at(1))
                                : usageError("build takes two files");
    if (command == QLatin1String("copy"))
        return args.size() == 2 ? copy(args.at(0), args.at(1)) : usageError("copy takes two files");
    if (command == QLatin1String("defaults"))
        return defaults(args);
    if (command == QLatin1String("pdf"))
        return pdf(args, verbose);
    if (command == QLatin1String("check"))
        return check(args);
    if (command == QLatin1String("csv-export"))
        return csvExport(args);
    if (command == QLatin1String("csv-import"))
        return args.size() == 3
            ? csvImport(args.at(0), args.at(1), args.at(2))
            : usageError("csv-import takes an album file, a CSV file and an output file");
    if (command == QLatin1String("import"))
        return importPhotos(args);
    if (command == QLatin1String("relink"))
        return relink(args);
    if (command == QLatin1String("delivery"))
        return zk::DeliveryTool::delivery(args);
    if (command == QLatin1String("delivery-check"))
        return zk::DeliveryTool::delivery_check(args);
    return usageError("unknown command");
}
