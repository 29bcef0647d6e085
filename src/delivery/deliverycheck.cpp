#include "deliverycheck.h"

#include "delivery/deliverydata.h"
#include "delivery/deliverydtd.h"
#include "delivery/deliveryrules.h"
#include "delivery/deliveredfile.h"
#include "docfile/cp932codec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/valid.h>
#include <libxml/xmlerror.h>

#include <memory>

namespace zk {

namespace {

// libxml2's messages for one parse or validation, with their lines.
struct ErrorLog
{
    QStringList messages;
};

#if LIBXML_VERSION >= 21200
void collectError(void* context, const xmlError* error)
#else
void collectError(void* context, xmlErrorPtr error)
#endif
{
    auto* log = static_cast<ErrorLog*>(context);
    if (!error || error->level == XML_ERR_WARNING)
        return;
    const QString text = QString::fromUtf8(error->message).trimmed();
    log->messages.append(error->line > 0 ? QStringLiteral("%1 行目: %2").arg(error->line).arg(text) : text);
}

// Routes libxml2's errors on this thread to a log for as long as it lives.
class ErrorCapture
{
public:
    explicit ErrorCapture(ErrorLog* log) { xmlSetStructuredErrorFunc(log, collectError); }
    ~ErrorCapture() { xmlSetStructuredErrorFunc(nullptr, nullptr); }
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;
};

// The folder comes from anywhere: its DTD and XML may name no other file or URL.
xmlParserInputPtr refuseExternal(const char*, const char*, xmlParserCtxtPtr)
{
    return nullptr;
}

// Refuses external entities for as long as it lives.
class NoExternalEntities
{
public:
    NoExternalEntities() : saved(xmlGetExternalEntityLoader()) { xmlSetExternalEntityLoader(refuseExternal); }
    ~NoExternalEntities() { xmlSetExternalEntityLoader(saved); }
    NoExternalEntities(const NoExternalEntities&) = delete;
    NoExternalEntities& operator=(const NoExternalEntities&) = delete;

private:
    xmlExternalEntityLoader saved;
};

struct DocFree
{
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
struct DtdFree
{
    void operator()(xmlDtd* d) const { xmlFreeDtd(d); }
};
struct ValidFree
{
    void operator()(xmlValidCtxt* c) const { xmlFreeValidCtxt(c); }
};

QString nameOf(const xmlNode* node)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(node->name));
}

QString textOf(const xmlNode* node)
{
    xmlChar* content = xmlNodeGetContent(node);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(content));
    xmlFree(content);
    return text;
}

QList<const xmlNode*> children(const xmlNode* node)
{
    QList<const xmlNode*> out;
    for (const xmlNode* c = node ? node->children : nullptr; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE)
            out.append(c);
    }
    return out;
}

const xmlNode* child(const xmlNode* node, const QString& name)
{
    const QList<const xmlNode*> all = children(node);
    for (const xmlNode* c : all) {
        if (nameOf(c) == name)
            return c;
    }
    return nullptr;
}

QString childText(const xmlNode* node, const QString& name)
{
    const xmlNode* c = child(node, name);
    return c ? textOf(c) : QString();
}

DeliveryPhoto readPhoto(const xmlNode* node)
{
    DeliveryPhoto p;
    const xmlNode* file = child(node, QStringLiteral("写真ファイル情報"));
    p.serial = childText(file, QStringLiteral("シリアル番号"));
    p.fileName = childText(file, QStringLiteral("写真ファイル名"));
    p.japaneseName = childText(file, QStringLiteral("写真ファイル日本語名"));
    p.media = childText(file, QStringLiteral("メディア番号"));
    const xmlNode* cls = child(node, QStringLiteral("撮影工種区分"));
    p.largeClass = childText(cls, QStringLiteral("写真-大分類"));
    p.photoClass = childText(cls, QStringLiteral("写真区分"));
    p.workType = childText(cls, QStringLiteral("工種"));
    p.kind = childText(cls, QStringLiteral("種別"));
    p.detail = childText(cls, QStringLiteral("細別"));
    p.title = childText(cls, QStringLiteral("写真タイトル"));
    const QList<const xmlNode*> clsItems = children(cls);
    for (const xmlNode* c : clsItems) {
        if (nameOf(c) == QStringLiteral("工種区分予備"))
            p.reserves.append(textOf(c));
    }
    const QList<const xmlNode*> items = children(node);
    for (const xmlNode* c : items) {
        const QString name = nameOf(c);
        if (name == QStringLiteral("付加情報")) {
            p.drawings.append({ QString(), childText(c, QStringLiteral("参考図ファイル名")),
                childText(c, QStringLiteral("参考図ファイル日本語名")),
                childText(c, QStringLiteral("参考図タイトル")) });
        } else if (name == QStringLiteral("請負者説明文") || name == QStringLiteral("受注者説明文")) {
            p.remark = textOf(c);
        }
    }
    const xmlNode* shot = child(node, QStringLiteral("撮影情報"));
    p.spot = childText(shot, QStringLiteral("撮影箇所"));
    p.shotDate = childText(shot, QStringLiteral("撮影年月日"));
    p.representative = childText(node, QStringLiteral("代表写真"));
    p.frequency = childText(node, QStringLiteral("提出頻度写真"));
    p.controlValue = childText(node, QStringLiteral("施工管理値"));
    return p;
}

// The PHOTO folder that dir is or holds; lower-case names are found too, to be reported.
QString photoFolder(const QString& dir)
{
    const QDir d(dir);
    if (QFileInfo(d.filePath(QStringLiteral("PHOTO.XML"))).exists())
        return d.absolutePath();
    const QStringList subs = d.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& sub : subs) {
        if (sub.compare(QLatin1String("PHOTO"), Qt::CaseInsensitive) == 0)
            return d.absoluteFilePath(sub);
    }
    return d.absolutePath();
}

// The declared encoding of an XML text, lower case; empty when it names none.
const QRegularExpression& encodingPattern()
{
    static const QRegularExpression named(QStringLiteral("encoding\\s*=\\s*[\"']([^\"']+)[\"']"));
    return named;
}

QByteArray declaredEncoding(const QByteArray& xml)
{
    if (!xml.startsWith("<?xml"))
        return QByteArray();
    const qsizetype end = xml.indexOf("?>");
    const QRegularExpressionMatch m = encodingPattern().match(QString::fromLatin1(xml.left(end)));
    return m.hasMatch() ? m.captured(1).toLower().toLatin1() : QByteArray();
}

class Checker
{
public:
    Checker(const QString& dir, const DeliveryCheckOptions& options) : options(options)
    {
        folder = QDir(photoFolder(dir));
    }

    QList<DeliveryFinding> run();

private:
    void error(const QString& file, const QString& message) { findings.append({ true, file, message, {}, {} }); }
    void notice(const QString& file, const QString& message) { findings.append({ false, file, message, {}, {} }); }

    bool readXml(std::unique_ptr<xmlDoc, DocFree>* doc);
    void validate(xmlDoc* doc);
    void checkBasics(const xmlNode* basics);
    void checkPhoto(int index, const xmlNode* node);
    void checkFile(const QString& subfolder, const QString& name, bool photo, const DeliveryPhoto& p);
    void checkListing();

    DeliveryCheckOptions options;
    QDir folder;
    QList<DeliveryFinding> findings;
    QSet<QString> listed; // "PIC/P0000001.JPG", as PHOTO.XML names them
    QHash<QString, QSet<QString>> folderNames; // the files of PIC and DRA, read once
    QString dtdName = DeliveryDtd::fileName();
};

bool Checker::readXml(std::unique_ptr<xmlDoc, DocFree>* doc)
{
    const QString xmlName = QStringLiteral("PHOTO.XML");
    QFile file(folder.filePath(xmlName));
    if (!folder.exists() || !file.exists()) {
        error(QString(), QStringLiteral("%1 に PHOTO.XML がありません").arg(QDir::toNativeSeparators(folder.path())));
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        error(xmlName, QStringLiteral("読めません: %1").arg(file.errorString()));
        return false;
    }
    // A PHOTO.XML of 30,000 photos is some 20 MiB; far beyond that is no PHOTO.XML.
    constexpr qint64 MaxBytes = 256 * 1024 * 1024;
    if (file.size() > MaxBytes) {
        error(xmlName, QStringLiteral("大きすぎて読めません (%1 MiB)").arg(file.size() >> 20));
        return false;
    }
    QByteArray bytes = file.readAll();
    const QByteArray encoding = declaredEncoding(bytes);
    if (encoding == "shift_jis" || encoding == "windows-31j" || encoding == "cp932") {
        // Our own codec reads what CP932 holds, so that a machine-dependent
        // character is reported by the item rules instead of as broken XML.
        const QString text = Cp932Codec::instance().decode(bytes);
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (Cp932Codec::isEscapedByte(text.at(i).unicode())) {
                error(xmlName, QStringLiteral("%1 行目に Shift_JIS の文字でないバイトがあります")
                                   .arg(text.left(i).count(QLatin1Char('\n')) + 1));
                return false;
            }
        }
        bytes = text.toUtf8();
        // The declaration's text is ASCII, so its character offsets are byte offsets.
        const QRegularExpressionMatch m = encodingPattern().match(QString::fromLatin1(bytes.left(bytes.indexOf("?>"))));
        bytes.replace(m.capturedStart(1), m.capturedLength(1), "UTF-8");
    } else {
        error(xmlName, QStringLiteral("文字コードが Shift_JIS と宣言されていません"));
    }

    ErrorLog log;
    {
        const ErrorCapture capture(&log);
        doc->reset(xmlReadMemory(bytes.constData(), int(bytes.size()), "PHOTO.XML", nullptr,
            XML_PARSE_NONET));
    }
    if (!*doc) {
        error(xmlName, QStringLiteral("XML として正しくありません (%1)")
                           .arg(log.messages.isEmpty() ? QStringLiteral("読めません") : log.messages.first()));
        return false;
    }
    return true;
}

void Checker::validate(xmlDoc* doc)
{
    const QString xmlName = QStringLiteral("PHOTO.XML");
    const xmlDtd* declared = xmlGetIntSubset(doc);
    if (!declared || !declared->SystemID) {
        error(xmlName, QStringLiteral("DOCTYPE で DTD が指定されていません"));
        return;
    }
    dtdName = QString::fromUtf8(reinterpret_cast<const char*>(declared->SystemID));
    if (dtdName.contains(QLatin1Char('/')) || dtdName.contains(QLatin1Char('\\'))) {
        error(xmlName, QStringLiteral("DTD %1 は PHOTO フォルダの中のファイルを指していません").arg(dtdName));
        return;
    }
    QFile file(folder.filePath(dtdName));
    if (!file.open(QIODevice::ReadOnly)) {
        error(QString(), QStringLiteral("DTD ファイル %1 がありません").arg(dtdName));
        return;
    }
    const QByteArray dtdText = DeliveryDtd::to_utf8(file.readAll());

    ErrorLog log;
    const ErrorCapture capture(&log);
    // xmlIOParseDTD takes the input buffer whatever happens.
    xmlParserInputBufferPtr input = xmlParserInputBufferCreateMem(dtdText.constData(), int(dtdText.size()), XML_CHAR_ENCODING_UTF8);
    std::unique_ptr<xmlDtd, DtdFree> dtd(input ? xmlIOParseDTD(nullptr, input, XML_CHAR_ENCODING_UTF8) : nullptr);
    if (!dtd) {
        error(dtdName, QStringLiteral("DTD として読めません (%1)")
                           .arg(log.messages.isEmpty() ? QStringLiteral("読めません") : log.messages.first()));
        return;
    }
    log.messages.clear();
    std::unique_ptr<xmlValidCtxt, ValidFree> context(xmlNewValidCtxt());
    context->error = nullptr;
    context->warning = nullptr;
    if (!xmlValidateDtd(context.get(), doc, dtd.get())) {
        // The first few say what is wrong; hundreds of repeats would hide the rest.
        constexpr int Shown = 20;
        for (int i = 0; i < qMin<int>(Shown, log.messages.size()); ++i)
            error(xmlName, QStringLiteral("DTD に合いません (%1)").arg(log.messages.at(i)));
        if (log.messages.size() > Shown)
            error(xmlName, QStringLiteral("DTD に合わない箇所がほかに %1 件あります").arg(log.messages.size() - Shown));
        if (log.messages.isEmpty())
            error(xmlName, QStringLiteral("DTD に合いません"));
    }
}

void Checker::checkBasics(const xmlNode* basics)
{
    const QString xmlName = QStringLiteral("PHOTO.XML");
    const QString pic = childText(basics, QStringLiteral("写真フォルダ名"));
    if (pic != QLatin1String("PHOTO/PIC"))
        error(xmlName, QStringLiteral("写真フォルダ名「%1」は PHOTO/PIC ではありません").arg(pic));
    const xmlNode* dra = child(basics, QStringLiteral("参考図フォルダ名"));
    if (dra && textOf(dra) != QLatin1String("PHOTO/DRA"))
        error(xmlName, QStringLiteral("参考図フォルダ名「%1」は PHOTO/DRA ではありません").arg(textOf(dra)));
    const QString problem = DeliveryRules::value_problem(
        QStringLiteral("適用要領基準"), childText(basics, QStringLiteral("適用要領基準")));
    if (!problem.isEmpty())
        error(xmlName, problem);
}

void Checker::checkFile(const QString& subfolder, const QString& name, bool photo, const DeliveryPhoto& p)
{
    const QString relative = subfolder + QLatin1Char('/') + name;
    if (name.isEmpty() || listed.contains(relative)) {
        if (!name.isEmpty() && photo)
            error(relative, QStringLiteral("同じファイル名が PHOTO.XML に 2 度あります"));
        return;
    }
    listed.insert(relative);
    const QString path = folder.filePath(relative);
    // Exact case: a check program on Windows would find P0000001.jpg for P0000001.JPG.
    auto names = folderNames.find(subfolder);
    if (names == folderNames.end()) {
        const QStringList all = QDir(folder.filePath(subfolder)).entryList(QDir::Files | QDir::Hidden | QDir::System);
        names = folderNames.insert(subfolder, QSet<QString>(all.cbegin(), all.cend()));
    }
    if (!names->contains(name)) {
        error(relative, photo ? QStringLiteral("PHOTO.XML にある写真ファイルがありません")
                              : QStringLiteral("PHOTO.XML にある参考図ファイルがありません"));
        return;
    }
    const DeliveredFile facts = DeliveredFile::read(path);
    if (!facts.readable()) {
        error(relative, facts.error);
        return;
    }
    if (!facts.deliverable() || !name.endsWith(facts.extension, Qt::CaseInsensitive)) {
        error(relative, QStringLiteral("ファイルの中身 (%1) が拡張子と合いません")
                            .arg(facts.format.isEmpty() ? QStringLiteral("形式不明") : facts.format));
        return;
    }
    if (!photo)
        return;
    const auto noticeHere = [&](const QString& message) {
        findings.append({ false, relative, message, path, p.japaneseName });
    };
    const QDate shot = QDate::fromString(p.shotDate, QStringLiteral("yyyy-MM-dd"));
    const QDate exif = facts.exifTime.date();
    if (!exif.isValid())
        noticeHere(QStringLiteral("写真に EXIF の撮影日時がありません"));
    else if (shot.isValid() && shot != exif)
        noticeHere(QStringLiteral("撮影年月日 %1 が EXIF の撮影日 %2 と違います")
                       .arg(p.shotDate, exif.toString(QStringLiteral("yyyy-MM-dd"))));
    if (shot.isValid()
        && ((options.periodStart.isValid() && shot < options.periodStart)
            || (options.periodEnd.isValid() && shot > options.periodEnd)))
        noticeHere(QStringLiteral("撮影年月日 %1 が期間 (%2〜%3) の外です")
                       .arg(p.shotDate, options.periodStart.toString(QStringLiteral("yyyy-MM-dd")),
                           options.periodEnd.toString(QStringLiteral("yyyy-MM-dd"))));
    if (facts.pixels() > DeliveryRules::MaxPixels)
        noticeHere(QStringLiteral("画素数が 300 万を超えています (%1×%2)").arg(facts.width).arg(facts.height));
}

void Checker::checkPhoto(int index, const xmlNode* node)
{
    const DeliveryPhoto p = readPhoto(node);
    const QString relative = p.fileName.isEmpty() ? QStringLiteral("PHOTO.XML")
                                                  : QStringLiteral("PIC/") + p.fileName;
    const qsizetype first = findings.size();
    if (p.serial != QString::number(index))
        error(relative, QStringLiteral("シリアル番号「%1」が 1 からの連番になっていません (%2 番目の写真)")
                            .arg(p.serial)
                            .arg(index));
    const QStringList broken = DeliveryRules::photo_problems(p);
    for (const QString& message : broken)
        error(relative, message);
    checkFile(QStringLiteral("PIC"), p.fileName, true, p);
    for (const DeliveryDrawing& d : p.drawings)
        checkFile(QStringLiteral("DRA"), d.fileName, false, p);
    // Every finding of this photo can lead a window to the album entry.
    const QString path = folder.filePath(relative);
    for (qsizetype i = first; i < findings.size(); ++i) {
        findings[i].path = path;
        findings[i].japaneseName = p.japaneseName;
    }
}

void Checker::checkListing()
{
    static const QRegularExpression stylesheet(QStringLiteral("^PHOTO[0-9]*\\.XSL$"));
    const QFileInfoList top = QDir(folder.path()).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& f : top) {
        const QString name = f.fileName();
        if (f.isDir() && (name == QLatin1String("PIC") || name == QLatin1String("DRA"))) {
            const QFileInfoList inner = QDir(f.filePath()).entryInfoList(
                QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
            for (const QFileInfo& g : inner) {
                const QString relative = name + QLatin1Char('/') + g.fileName();
                if (g.isDir()) {
                    error(relative, QStringLiteral("%1 の中にフォルダがあります").arg(name));
                    continue;
                }
                const QRegularExpression& rule = name == QLatin1String("PIC") ? DeliveryRules::photo_name()
                                                                              : DeliveryRules::drawing_name();
                const bool looksDelivered = g.fileName().startsWith(name == QLatin1String("PIC") ? u'P' : u'D', Qt::CaseInsensitive)
                    && !rule.match(g.fileName()).hasMatch()
                    && rule.match(g.fileName().toUpper()).hasMatch();
                if (looksDelivered)
                    error(relative, QStringLiteral("ファイル名が決まり (半角大文字) に合いません"));
                if (!listed.contains(relative))
                    notice(relative, QStringLiteral("PHOTO.XML にないファイルです"));
            }
        } else if (f.isDir()) {
            if (name.compare(QLatin1String("PIC"), Qt::CaseInsensitive) == 0
                || name.compare(QLatin1String("DRA"), Qt::CaseInsensitive) == 0)
                error(name, QStringLiteral("フォルダ名は半角大文字で %1 と付けます").arg(name.toUpper()));
            else
                notice(name, QStringLiteral("PHOTO.XML にないフォルダです"));
        } else if (name != QLatin1String("PHOTO.XML") && name != dtdName && !stylesheet.match(name).hasMatch()) {
            notice(name, QStringLiteral("PHOTO.XML にないファイルです"));
        }
    }
}

QList<DeliveryFinding> Checker::run()
{
    if (folder.dirName() != QLatin1String("PHOTO") && folder.dirName().compare(QLatin1String("PHOTO"), Qt::CaseInsensitive) == 0)
        error(QString(), QStringLiteral("フォルダ名 %1 は半角大文字で PHOTO と付けます").arg(folder.dirName()));
    std::unique_ptr<xmlDoc, DocFree> doc;
    if (!readXml(&doc))
        return findings;
    validate(doc.get());
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (!root || nameOf(root) != QLatin1String("photodata")) {
        error(QStringLiteral("PHOTO.XML"), QStringLiteral("ルート要素が photodata ではありません"));
        return findings;
    }
    checkBasics(child(root, QStringLiteral("基礎情報")));
    int index = 0;
    const QList<const xmlNode*> items = children(root);
    for (const xmlNode* node : items) {
        if (nameOf(node) == QStringLiteral("写真情報"))
            checkPhoto(++index, node);
    }
    checkListing();
    return findings;
}

} // namespace

QString DeliveryFinding::toString() const
{
    const QString kind = error ? QStringLiteral("エラー") : QStringLiteral("注意");
    return file.isEmpty() ? QStringLiteral("%1: %2").arg(kind, message)
                          : QStringLiteral("%1: %2: %3").arg(kind, file, message);
}

QList<DeliveryFinding> DeliveryCheck::run(const QString& dir, const DeliveryCheckOptions& options)
{
    xmlInitParser();
    const NoExternalEntities guard;
    return Checker(dir, options).run();
}

bool DeliveryCheck::has_error(const QList<DeliveryFinding>& findings)
{
    for (const DeliveryFinding& f : findings) {
        if (f.error)
            return true;
    }
    return false;
}

} // namespace zk
