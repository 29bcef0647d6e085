#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>
#include <vector>

namespace zk {

// Windows code page 932 (Shift-JIS as Windows writes it), lossless both ways.
//
// The mapping comes from ICU's windows-31j converter, read into tables once.
// On top of it:
// - the single bytes 80, A0, FD, FE and FF decode as Windows decodes them
//   (U+0080, U+F8F0..U+F8F3) and are written back the same;
// - any other byte that does not decode becomes U+DC00 + byte, a lone low
//   surrogate that no typed text contains, and is written back as that byte,
//   so a document from elsewhere survives being opened and saved;
// - characters that Linux input methods produce for glyphs Windows users type
//   (〜 ‖ − ¢ £ ¬ — ¥ ‾) are written as the Windows bytes.
class Cp932Codec
{
public:
    static const Cp932Codec& instance();

    QString decode(QByteArrayView bytes) const;

    // Appends the encoded text to out. Returns -1 on success, or the index in
    // text of the first character code page 932 cannot hold; out then holds
    // the bytes of the characters before it.
    qsizetype encode(QStringView text, QByteArray& out) const;

    // True when the character decoded from a byte that has no character.
    static bool isEscapedByte(char16_t c) { return c >= 0xDC00 && c <= 0xDCFF; }

private:
    Cp932Codec();

    static constexpr char16_t NoChar = 0xFFFF;
    static constexpr quint16 NoCode = 0xFFFF;

    std::array<char16_t, 256> single {}; // NoChar: lead byte or no character
    std::array<bool, 256> lead {};
    std::vector<char16_t> pairs; // indexed by lead << 8 | trail
    std::vector<quint16> codes; // indexed by UTF-16 unit; < 0x100 is one byte
};

} // namespace zk
