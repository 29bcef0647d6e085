#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

namespace zk {

// The company defaults file, corp.ini: read only, looked up as Windows looks
// up a private profile string.
class CorpIni
{
public:
    // No file: every lookup gives "".
    CorpIni() = default;

    // A missing or unreadable file behaves as an empty one.
    static CorpIni load(const QString& path);
    static CorpIni parse(QByteArrayView bytes);

    // Where the file is looked for, in order: beside the executable, then in
    // the user's configuration folder (~/.config/zelkora/corp.ini).
    static QStringList searchPaths();
    // The first of searchPaths() that exists, loaded.
    static CorpIni find();

    // The value of key in section, or "" when either is missing.
    // Names match without regard to the case of ASCII letters; the value is
    // the text after the first "=" without the spaces and tabs around it and
    // without one pair of enclosing quotes, cut to 1023 bytes.
    QString read_corp_value(const QString& section, const QString& key) const;

    // The file's bytes were UTF-8 rather than code page 932.
    bool isUtf8() const { return utf8; }

private:
    struct Key
    {
        QString name;
        QString value;
    };
    struct Section
    {
        QString name;
        QList<Key> keys;
    };

    QString cutToLimit(const QString& value) const;

    QList<Section> sections;
    bool utf8 = false;
};

} // namespace zk
