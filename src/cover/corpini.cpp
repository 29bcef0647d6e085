#include "corpini.h"

#include "docfile/cp932codec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>

namespace zk {

namespace {

// The longest value Windows returns into the 1024-byte buffer.
constexpr int MaxValueBytes = 1023;

// Windows' profile reader ignores the case of ASCII letters only; kanji and
// full-width letters must be equal.
bool sameName(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a.at(i).unicode();
        char16_t y = b.at(i).unicode();
        if (x >= 'A' && x <= 'Z')
            x += 'a' - 'A';
        if (y >= 'A' && y <= 'Z')
            y += 'a' - 'A';
        if (x != y)
            return false;
    }
    return true;
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QStringView trimmed(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s.at(begin)))
        ++begin;
    while (end > begin && isBlank(s.at(end - 1)))
        --end;
    return s.sliced(begin, end - begin);
}

QString decodeFile(QByteArrayView bytes, bool* utf8)
{
    const QByteArrayView bom("\xEF\xBB\xBF");
    if (bytes.startsWith(bom)) {
        *utf8 = true;
        return QString::fromUtf8(bytes.sliced(bom.size()));
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder(bytes);
    *utf8 = !decoder.hasError();
    return *utf8 ? text : Cp932Codec::instance().decode(bytes);
}

} // namespace

CorpIni CorpIni::load(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    // The file holds four short values; anything far larger is not ours.
    return parse(file.read(1024 * 1024));
}

CorpIni CorpIni::parse(QByteArrayView bytes)
{
    CorpIni ini;
    const QString text = decodeFile(bytes, &ini.utf8);
    qsizetype current = -1; // index: appending may move the sections
    for (QStringView raw : QStringView(text).split(QLatin1Char('\n'))) {
        if (raw.endsWith(QLatin1Char('\r')))
            raw.chop(1);
        const QStringView line = trimmed(raw);
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.lastIndexOf(QLatin1Char(']'));
            if (close > 0) {
                ini.sections.append(Section { line.sliced(1, close - 1).toString(), {} });
                current = ini.sections.size() - 1;
                continue;
            }
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || current < 0)
            continue;
        QStringView value = trimmed(line.sliced(eq + 1));
        if (value.size() >= 2 && value.front() == value.back()
            && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')))
            value = value.sliced(1, value.size() - 2);
        ini.sections[current].keys.append(
            Key { trimmed(line.first(eq)).toString(), value.toString() });
    }
    return ini;
}

QStringList CorpIni::searchPaths()
{
    QStringList paths;
    paths << QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("corp.ini"));
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (!config.isEmpty())
        paths << QDir(config).filePath(QStringLiteral("corp.ini"));
    return paths;
}

CorpIni CorpIni::find()
{
    for (const QString& path : searchPaths()) {
        if (QFileInfo::exists(path))
            return load(path);
    }
    return {};
}

QString CorpIni::read_corp_value(const QString& section, const QString& key) const
{
    for (const Section& s : sections) {
        if (!sameName(s.name, section))
            continue;
        // Only the first section of that name is searched, as Windows does.
        for (const Key& k : s.keys) {
            if (sameName(k.name, key))
                return cutToLimit(k.value);
        }
        return {};
    }
    return {};
}

QString CorpIni::cutToLimit(const QString& value) const
{
    // Count bytes as the file stores them and never cut a character in two.
    int bytes = 0;
    qsizetype i = 0;
    QByteArray scratch;
    while (i < value.size()) {
        const qsizetype length = value.at(i).isHighSurrogate() && i + 1 < value.size() ? 2 : 1;
        const QStringView c = QStringView(value).sliced(i, length);
        int size;
        if (utf8) {
            size = int(c.toUtf8().size());
        } else {
            scratch.clear();
            Cp932Codec::instance().encode(c, scratch);
            size = int(qMax<qsizetype>(1, scratch.size()));
        }
        if (bytes + size > MaxValueBytes)
            return value.first(i);
        bytes += size;
        i += length;
    }
    return value;
}

} // namespace zk
