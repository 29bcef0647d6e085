#include "jsonscanner.h"

#include <array>
#include <charconv>

namespace zk {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

// The bytes that end a run of plain string content: the quote, the
// backslash and the control characters, which JSON does not allow there.
constexpr std::array<bool, 256> stopBytes = [] {
    std::array<bool, 256> stops {};
    for (int c = 0; c < 0x20; ++c)
        stops[size_t(c)] = true;
    stops['"'] = true;
    stops['\\'] = true;
    return stops;
}();

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

bool JsonScanner::fail(const QString& what)
{
    if (error_.isEmpty())
        error_ = QStringLiteral("%1 バイト目: %2").arg(pos + 1).arg(what);
    return false;
}

void JsonScanner::skipSpace()
{
    while (pos < data.size() && isSpace(data[pos]))
        ++pos;
}

bool JsonScanner::expect(char c, const char* what)
{
    skipSpace();
    if (pos >= data.size() || data[pos] != c)
        return fail(QString::fromUtf8(what));
    ++pos;
    return true;
}

JsonScanner::Kind JsonScanner::peek()
{
    skipSpace();
    if (failed())
        return Kind::Invalid;
    if (pos >= data.size())
        return Kind::End;
    switch (data[pos]) {
    case '{':
        return Kind::Object;
    case '[':
        return Kind::Array;
    case '"':
        return Kind::String;
    case 't':
    case 'f':
    case 'n':
        return Kind::Literal;
    default:
        return data[pos] == '-' || (data[pos] >= '0' && data[pos] <= '9') ? Kind::Number
                                                                          : Kind::Invalid;
    }
}

bool JsonScanner::enterObject()
{
    first = true;
    return !failed() && expect('{', "{ がありません");
}

bool JsonScanner::enterArray()
{
    first = true;
    return !failed() && expect('[', "[ がありません");
}

bool JsonScanner::nextElement()
{
    if (failed())
        return false;
    skipSpace();
    if (pos < data.size() && data[pos] == ']') {
        ++pos;
        first = false;
        return false;
    }
    if (!first && !expect(',', ", か ] がありません"))
        return false;
    first = false;
    return true;
}

bool JsonScanner::nextKey(QByteArrayView* key)
{
    if (failed())
        return false;
    skipSpace();
    if (pos < data.size() && data[pos] == '}') {
        ++pos;
        first = false;
        return false;
    }
    if (!first && !expect(',', ", か } がありません"))
        return false;
    first = false;
    skipSpace();
    QByteArrayView raw;
    bool escaped = false;
    if (!scanString(&raw, &escaped))
        return false;
    if (escaped) {
        QString decoded;
        pos -= raw.size() + 2;
        if (!readString(&decoded))
            return false;
        scratch = decoded.toUtf8();
        raw = scratch;
    }
    *key = raw;
    return expect(':', ": がありません");
}

bool JsonScanner::scanString(QByteArrayView* raw, bool* escaped)
{
    if (pos >= data.size() || data[pos] != '"')
        return fail(QStringLiteral("文字列がありません"));
    const qsizetype start = ++pos;
    *escaped = false;
    const qsizetype size = data.size();
    const char* bytes = data.data();
    while (pos < size) {
        // Plain content goes by a byte at a time with one table look-up.
        while (pos < size && !stopBytes[static_cast<unsigned char>(bytes[pos])])
            ++pos;
        if (pos >= size)
            break;
        const char c = bytes[pos];
        if (c == '"') {
            *raw = data.sliced(start, pos - start);
            ++pos;
            return true;
        }
        if (static_cast<unsigned char>(c) < 0x20)
            return fail(QStringLiteral("文字列に制御文字があります"));
        if (c == '\\') {
            *escaped = true;
            ++pos;
        }
        ++pos;
    }
    return fail(QStringLiteral("文字列が閉じていません"));
}

bool JsonScanner::readString(QString* value)
{
    skipSpace();
    if (failed())
        return false;
    QByteArrayView raw;
    bool escaped = false;
    if (!scanString(&raw, &escaped))
        return false;
    if (!escaped) {
        *value = QString::fromUtf8(raw);
        return true;
    }
    // Escapes are rare: the text between them is decoded in runs.
    QString out;
    qsizetype run = 0;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\')
            continue;
        out += QString::fromUtf8(raw.sliced(run, i - run));
        if (++i >= raw.size())
            return fail(QStringLiteral("エスケープが途中で切れています"));
        switch (raw[i]) {
        case '"': out += u'"'; break;
        case '\\': out += u'\\'; break;
        case '/': out += u'/'; break;
        case 'b': out += u'\b'; break;
        case 'f': out += u'\f'; break;
        case 'n': out += u'\n'; break;
        case 'r': out += u'\r'; break;
        case 't': out += u'\t'; break;
        case 'u': {
            char16_t u = 0;
            for (int k = 1; k <= 4; ++k) {
                const int h = i + k < raw.size() ? hexValue(raw[i + k]) : -1;
                if (h < 0)
                    return fail(QStringLiteral("\\u の後に16進数4桁がありません"));
                u = char16_t(u * 16 + h);
            }
            // A surrogate without its partner stays as it is: it stands for
            // a byte of the album file that had no character.
            out += QChar(u);
            i += 4;
            break;
        }
        default:
            return fail(QStringLiteral("知らないエスケープがあります"));
        }
        run = i + 1;
    }
    out += QString::fromUtf8(raw.sliced(run));
    *value = std::move(out);
    return true;
}

bool JsonScanner::readSharedString(QString* value)
{
    // Long texts rarely repeat; a bounded table keeps the look-up cheap.
    constexpr qsizetype MaxSharedBytes = 64;
    constexpr qsizetype MaxShared = 4096;
    skipSpace();
    const qsizetype start = pos;
    QByteArrayView raw;
    bool escaped = false;
    if (failed() || !scanString(&raw, &escaped))
        return false;
    if (escaped || raw.size() > MaxSharedBytes) {
        pos = start;
        return readString(value);
    }
    const auto found = shared.constFind(raw);
    if (found != shared.cend()) {
        *value = *found;
        return true;
    }
    *value = QString::fromUtf8(raw);
    if (shared.size() < MaxShared)
        shared.insert(raw, *value);
    return true;
}

bool JsonScanner::readNumber(double* value)
{
    if (peek() != Kind::Number)
        return fail(QStringLiteral("数がありません"));
    // Whole numbers, nearly all there are in our files, without the general
    // conversion: up to 15 digits are exact in a double.
    const char* bytes = data.data();
    qsizetype at = pos + (bytes[pos] == '-' ? 1 : 0);
    const qsizetype digits = at;
    qint64 whole = 0;
    while (at < data.size() && at - digits < 16 && bytes[at] >= '0' && bytes[at] <= '9')
        whole = whole * 10 + (bytes[at++] - '0');
    if (at > digits && at - digits < 16
        && (at == data.size()
            || !(bytes[at] == '.' || bytes[at] == 'e' || bytes[at] == 'E'
                || (bytes[at] >= '0' && bytes[at] <= '9')))) {
        *value = bytes[pos] == '-' ? -double(whole) : double(whole);
        pos = at;
        return true;
    }
    qsizetype end = pos;
    while (end < data.size()
        && (data[end] == '-' || data[end] == '+' || data[end] == '.' || data[end] == 'e'
            || data[end] == 'E' || (data[end] >= '0' && data[end] <= '9')))
        ++end;
    const auto [next, ec] = std::from_chars(data.data() + pos, data.data() + end, *value);
    if (ec != std::errc() || next != data.data() + end)
        return fail(QStringLiteral("数として読めません"));
    pos = end;
    return true;
}

bool JsonScanner::skipValue()
{
    return skip(0);
}

bool JsonScanner::skip(int depth)
{
    if (depth > MaxDepth)
        return fail(QStringLiteral("入れ子が深すぎます"));
    switch (peek()) {
    case Kind::Object: {
        enterObject();
        QByteArrayView key;
        while (nextKey(&key)) {
            if (!skip(depth + 1))
                return false;
        }
        return !failed();
    }
    case Kind::Array:
        enterArray();
        while (nextElement()) {
            if (!skip(depth + 1))
                return false;
        }
        return !failed();
    case Kind::String: {
        QByteArrayView raw;
        bool escaped;
        return scanString(&raw, &escaped);
    }
    case Kind::Number: {
        double ignored;
        return readNumber(&ignored);
    }
    case Kind::Literal:
        for (const char* word : { "true", "false", "null" }) {
            if (data.sliced(pos).startsWith(word)) {
                pos += qsizetype(qstrlen(word));
                return true;
            }
        }
        return fail(QStringLiteral("知らない語があります"));
    case Kind::End:
        return fail(QStringLiteral("途中で終わっています"));
    case Kind::Invalid:
        break;
    }
    return fail(QStringLiteral("値として読めません"));
}

bool JsonScanner::atEnd()
{
    skipSpace();
    return !failed() && pos == data.size();
}

} // namespace zk
