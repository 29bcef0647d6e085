#include "jistext.h"

#include "docfile/cp932codec.h"

#include <QByteArray>

namespace zk {

namespace {

// Lead bytes of the JIS X 0208 rows in Shift_JIS: rows 1-8 (0x81-0x84) and
// 16-84 (0x88-0x9F, 0xE0-0xEA). 0x87 is NEC row 13, 0xED-0xEE the NEC-selected
// IBM extensions, 0xF0-0xF9 user-defined characters, 0xFA-0xFC IBM's own.
bool isJisLead(uchar b)
{
    return (b >= 0x81 && b <= 0x84) || (b >= 0x88 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEA);
}

bool isAllowedSingle(uchar b)
{
    // Line breaks may appear in the longer texts; other controls may not.
    return (b >= 0x20 && b <= 0x7E) || b == '\r' || b == '\n';
}

} // namespace

qsizetype JisText::first_outside(QStringView text)
{
    const Cp932Codec& codec = Cp932Codec::instance();
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isSurrogate())
            return i;
        if (c.unicode() < 0x80) {
            if (!isAllowedSingle(uchar(c.unicode())))
                return i;
            continue;
        }
        bytes.clear();
        if (codec.encode(text.sliced(i, 1), bytes) != -1)
            return i;
        // ¥ and ‾ typed on Linux are written as the ASCII bytes Windows shows so.
        const bool ok = bytes.size() == 1 ? isAllowedSingle(uchar(bytes.at(0)))
                                          : bytes.size() == 2 && isJisLead(uchar(bytes.at(0)));
        if (!ok)
            return i;
    }
    return -1;
}

qsizetype JisText::units(QStringView text)
{
    qsizetype n = 0;
    for (const QChar c : text) {
        // Past ASCII only ¥ and ‾ are written as one byte.
        n += c.unicode() < 0x80 || c.unicode() == 0x00A5 || c.unicode() == 0x203E ? 1 : 2;
    }
    return n;
}

} // namespace zk
