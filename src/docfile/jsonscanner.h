#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QString>

namespace zk {

// Reads JSON one token at a time straight from its UTF-8 bytes, without
// building a tree: the information file of a large album is read several
// times faster than through QJsonDocument, and unknown members are skipped
// without being kept. Every call returns false once anything failed; error()
// then says what and where.
class JsonScanner
{
public:
    enum class Kind { Object, Array, String, Number, Literal, End, Invalid };

    // Objects and arrays nest at most this deep.
    static constexpr int MaxDepth = 64;

    explicit JsonScanner(QByteArrayView bytes) : data(bytes) { }

    // The kind of the next value.
    Kind peek();

    // '{', then nextKey() for every member until it returns false at '}'.
    bool enterObject();
    // The next member's name as UTF-8 (the view lives until the next call),
    // the ':' after it consumed; false at the end of the object.
    bool nextKey(QByteArrayView* key);
    // '[', then nextElement() before every element until it returns false at ']'.
    bool enterArray();
    bool nextElement();

    bool readString(QString* value);
    // The same, giving equal short strings one shared copy: the values of a
    // classification repeat over thousands of entries.
    bool readSharedString(QString* value);
    bool readNumber(double* value);
    // Any value, nested ones included.
    bool skipValue();
    // True when only white space is left.
    bool atEnd();
    // Where the scanner stands, in bytes, to come back to with seek() and
    // read a value again (one that needed what follows it).
    qsizetype offset() const { return pos; }
    void seek(qsizetype offset) { pos = offset; }

    bool failed() const { return !error_.isEmpty(); }
    // "N バイト目: what", for the user.
    const QString& error() const { return error_; }
    bool fail(const QString& what);

private:
    void skipSpace();
    bool expect(char c, const char* what);
    // The string at pos, without its quotes and unescaped; raw UTF-8 where
    // it holds no escape.
    bool scanString(QByteArrayView* raw, bool* escaped);
    bool skip(int depth);

    QByteArrayView data;
    qsizetype pos = 0;
    // Whether the container just entered has had a member or element yet.
    bool first = false;
    QByteArray scratch;
    QHash<QByteArrayView, QString> shared; // views into data

    QString error_;
};

} // namespace zk
