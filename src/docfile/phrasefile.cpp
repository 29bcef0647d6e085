#include "phrasefile.h"

#include "docfile/cp932codec.h"
#include "docfile/safefile.h"
#include "docfile/userfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QStringDecoder>

namespace zk {

namespace {

PhraseList readFile(const QString& path, bool missingIsEmpty)
{
    const UserFileRead file = read_user_file(path, PhraseFile::MaxFileSize, missingIsEmpty);
    if (file.missing)
        return {};
    PhraseList list;
    if (!file.ok()) {
        list.message = file.message;
        return list;
    }
    list = PhraseFile::parse(file.bytes);
    if (!list.ok())
        list.message = path + QLatin1String("\n\n") + list.message;
    return list;
}

} // namespace

QString PhraseFile::default_file()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/zelkora/") + QLatin1String(FileName);
}

PhraseList PhraseFile::load(const QString& file)
{
    return readFile(file, true);
}

PhraseList PhraseFile::import_file(const QString& file)
{
    return readFile(file, false);
}

PhraseList PhraseFile::parse(QByteArrayView bytes)
{
    PhraseList list;
    if (bytes.contains('\0')) {
        list.message = QStringLiteral("テキストファイルではありません.");
        return list;
    }
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    // The mark is skipped above; a second one is the first phrase's own.
    QStringDecoder utf8(QStringDecoder::Utf8,
        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    text = utf8.decode(bytes);
    if (utf8.hasError()) {
        text = Cp932Codec::instance().decode(bytes);
        for (const QChar c : std::as_const(text)) {
            if (Cp932Codec::isEscapedByte(c.unicode())) {
                list.message = QStringLiteral(
                    "文字コードを判別できません. UTF-8 か Shift-JIS のテキストにしてください.");
                return list;
            }
        }
    }
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    list.phrases = PhraseStore::cleaned(text.split(QLatin1Char('\n')));
    return list;
}

QString PhraseFile::save(const QStringList& phrases, const QString& file)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    SafeFile out(file);
    if (!out.open())
        return file
            + QStringLiteral("\n\n定型文を保存できませんでした (%1).").arg(out.failure());
    const QStringList list = PhraseStore::cleaned(phrases);
    QByteArray bytes;
    // A first phrase that begins with U+FEFF would be read back as a
    // byte-order mark and lose it: a real mark in front keeps it.
    if (!list.isEmpty() && list.constFirst().startsWith(QChar(0xFEFF)))
        bytes = "\xEF\xBB\xBF";
    for (const QString& phrase : list)
        bytes += phrase.toUtf8() + '\n';
    if (out.write(bytes) != bytes.size() || !out.commit())
        return file + QStringLiteral("\n\n定型文を保存できませんでした (%1).").arg(out.failure());
    return {};
}

} // namespace zk
