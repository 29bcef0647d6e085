#include "cp932codec.h"

#include <unicode/ucnv.h>

#include <memory>

namespace zk {

namespace {

struct ConverterCloser
{
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openConverter()
{
    UErrorCode status = U_ZERO_ERROR;
    Converter c(ucnv_open("windows-31j", &status));
    if (U_FAILURE(status))
        qFatal("ICU has no windows-31j converter: %s", u_errorName(status));
    // Report unmapped input instead of substituting; the tables keep only
    // mappings that ICU states outright.
    ucnv_setToUCallBack(c.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setFromUCallBack(c.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    return c;
}

// The one character that bytes decode to, or 0xFFFF.
char16_t icuDecode(UConverter* c, const char* bytes, int length, UErrorCode* status)
{
    UChar out[4];
    *status = U_ZERO_ERROR;
    ucnv_resetToUnicode(c);
    const int n = ucnv_toUChars(c, out, 4, bytes, length, status);
    return U_SUCCESS(*status) && n == 1 ? out[0] : 0xFFFF;
}

bool isTrailByte(uchar b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Characters with no code of their own that stand for the Windows glyphs.
struct OneWay
{
    char16_t c;
    quint16 code;
};
constexpr OneWay linuxInputForms[] = {
    { 0x301C, 0x8160 }, // WAVE DASH for FULLWIDTH TILDE
    { 0x2016, 0x8161 }, // DOUBLE VERTICAL LINE for PARALLEL TO
    { 0x2212, 0x817C }, // MINUS SIGN for FULLWIDTH HYPHEN-MINUS
    { 0x00A2, 0x8191 }, // CENT SIGN
    { 0x00A3, 0x8192 }, // POUND SIGN
    { 0x00AC, 0x81CA }, // NOT SIGN
    { 0x2014, 0x815C }, // EM DASH for HORIZONTAL BAR
    { 0x00A5, 0x005C }, // YEN SIGN: the byte that Japanese fonts draw as ¥
    { 0x203E, 0x007E }, // OVERLINE: the byte that Japanese fonts draw as ‾
};

} // namespace

const Cp932Codec& Cp932Codec::instance()
{
    static const Cp932Codec codec;
    return codec;
}

Cp932Codec::Cp932Codec() : pairs(0x10000, NoChar), codes(0x10000, NoCode)
{
    Converter c = openConverter();
    UErrorCode status;

    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        single[b] = icuDecode(c.get(), &byte, 1, &status);
        lead[b] = status == U_TRUNCATED_CHAR_FOUND;
    }
    // Windows decodes these single bytes although the code page assigns them nothing.
    single[0x80] = 0x0080;
    single[0xA0] = 0xF8F0;
    single[0xFD] = 0xF8F1;
    single[0xFE] = 0xF8F2;
    single[0xFF] = 0xF8F3;

    for (int l = 0; l < 256; ++l) {
        if (!lead[l])
            continue;
        for (int t = 0; t < 256; ++t) {
            if (!isTrailByte(uchar(t)))
                continue;
            const char bytes[2] = { char(l), char(t) };
            pairs[l << 8 | t] = icuDecode(c.get(), bytes, 2, &status);
        }
    }

    // Where a character has several codes, ICU's choice is the one Windows
    // writes. Only choices that decode back to the same character are kept.
    for (int u = 0; u < 0x10000; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF)
            continue;
        const UChar in = UChar(u);
        char out[4];
        status = U_ZERO_ERROR;
        ucnv_resetFromUnicode(c.get());
        const int n = ucnv_fromUChars(c.get(), out, 4, &in, 1, &status);
        if (U_FAILURE(status))
            continue;
        if (n == 1 && single[uchar(out[0])] == u)
            codes[u] = uchar(out[0]);
        else if (n == 2 && pairs[uchar(out[0]) << 8 | uchar(out[1])] == u)
            codes[u] = quint16(uchar(out[0]) << 8 | uchar(out[1]));
    }
    for (int b = 0; b < 256; ++b) {
        if (single[b] != NoChar && codes[single[b]] == NoCode)
            codes[single[b]] = quint16(b);
    }
    for (const OneWay& m : linuxInputForms) {
        if (codes[m.c] == NoCode)
            codes[m.c] = m.code;
    }
}

QString Cp932Codec::decode(QByteArrayView bytes) const
{
    const auto* in = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype n = bytes.size();
    QString result(n, Qt::Uninitialized); // never more characters than bytes
    char16_t* out = reinterpret_cast<char16_t*>(result.data());
    char16_t* const begin = out;

    qsizetype i = 0;
    while (i < n) {
        const uchar b = in[i];
        if (single[b] != NoChar) {
            *out++ = single[b];
            ++i;
            continue;
        }
        if (lead[b] && i + 1 < n && isTrailByte(in[i + 1])) {
            const uchar t = in[i + 1];
            const char16_t c = pairs[b << 8 | t];
            if (c != NoChar) {
                *out++ = c;
            } else {
                // A well-formed pair without a character: keep both bytes.
                *out++ = char16_t(0xDC00 | b);
                *out++ = char16_t(0xDC00 | t);
            }
            i += 2;
            continue;
        }
        // A lone lead byte, or a byte that is no character at all; whatever
        // follows is read on its own.
        *out++ = char16_t(0xDC00 | b);
        ++i;
    }
    result.truncate(out - begin);
    return result;
}

qsizetype Cp932Codec::encode(QStringView text, QByteArray& out) const
{
    const char16_t* in = text.utf16();
    const qsizetype n = text.size();
    // At most two bytes a character, written in place and cut to length after.
    const qsizetype start = out.size();
    out.resize(start + 2 * n);
    char* const begin = out.data() + start;
    char* o = begin;
    qsizetype failedAt = -1;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = in[i];
        if (QChar::isSurrogate(u)) {
            if (isEscapedByte(u)) {
                *o++ = char(u & 0xFF);
                continue;
            }
            failedAt = i; // a character beyond the BMP, or half of one
            break;
        }
        const quint16 code = codes[u];
        if (code == NoCode) {
            failedAt = i;
            break;
        }
        if (code > 0xFF)
            *o++ = char(code >> 8);
        *o++ = char(code & 0xFF);
    }
    out.truncate(start + (o - begin));
    return failedAt;
}

} // namespace zk
