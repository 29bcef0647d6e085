#include "documentwriter.h"

#include "docfile/cp932codec.h"
#include "docfile/safefile.h"

namespace zk {

namespace {

QString entryFieldName(EntryField field)
{
    switch (field) {
    case EntryField::Number:
        return QStringLiteral("番号");
    case EntryField::Title:
        return QStringLiteral("タイトル");
    case EntryField::Text:
        return QStringLiteral("テキスト");
    case EntryField::Image:
        return QStringLiteral("画像ファイル");
    }
    Q_UNREACHABLE();
}

// "U+1F600" for the character that starts at index i.
QString describeCharacter(QStringView text, qsizetype i)
{
    char32_t c = text.at(i).unicode();
    qsizetype length = 1;
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
        c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
        length = 2;
    }
    const QString code = QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
    if (QChar::isSurrogate(c))
        return code;
    return QStringLiteral("「%1」(%2)").arg(text.mid(i, length), code);
}

class Encoder
{
public:
    explicit Encoder(qsizetype sizeHint) { result.bytes.reserve(sizeHint); }

    // Writes one line; false when the value cannot be written. place()
    // names the field for the message and runs only on failure.
    template <typename Place> bool line(QStringView value, const Place& place)
    {
        if (const qsizetype lf = value.indexOf(QLatin1Char('\n')); lf >= 0) {
            fail(WriteError::LineBreak,
                QStringLiteral("%1に改行が含まれているため保存できません.").arg(place()));
            return false;
        }
        const qsizetype bad = codec.encode(value, result.bytes);
        if (bad >= 0) {
            fail(WriteError::Unencodable,
                QStringLiteral("%1の文字 %2 は Shift-JIS では保存できません. "
                               "別の文字に置き換えてから保存してください.")
                    .arg(place(), describeCharacter(value, bad)));
            return false;
        }
        result.bytes.append("\r\n", 2);
        return true;
    }

    EncodeResult take() { return std::move(result); }

private:
    void fail(WriteError error, const QString& message)
    {
        result.bytes.clear();
        result.error = error;
        result.message = message;
    }

    const Cp932Codec& codec = Cp932Codec::instance();
    EncodeResult result;
};

qsizetype sizeHint(const Document& document)
{
    qsizetype chars = 0;
    const EntryTable& table = document.entries;
    for (int i = 1; i <= table.entry_count(); ++i) {
        const Entry& e = table.entry(i);
        chars += e.number.size() + e.title.size() + e.text.size() + e.image.size() + 8;
    }
    return 2 * chars + 1024;
}

} // namespace

EncodeResult encode_document(const Document& document)
{
    Encoder out(sizeHint(document));
    for (int n = 1; n <= CoverData::FieldCount; ++n) {
        const auto field = CoverField(n);
        const auto place
            = [field] { return QStringLiteral("表紙の「%1」").arg(CoverData::fieldName(field)); };
        if (!out.line(document.cover.field(field), place))
            return out.take();
    }

    const EntryTable& table = document.entries;
    QString text;
    for (int i = 1; i <= table.entry_count(); ++i) {
        const Entry& e = table.entry(i);
        const auto place = [i](EntryField f) {
            return [i, f] { return QStringLiteral("No.%1 の%2").arg(i).arg(entryFieldName(f)); };
        };
        QStringView body = e.text;
        if (body.contains(QLatin1String("\r\n"))) {
            text = e.text;
            text.replace(QLatin1String("\r\n"), QLatin1String("<BR>"));
            body = text;
        }
        if (!out.line(e.number, place(EntryField::Number))
            || !out.line(e.title, place(EntryField::Title))
            || !out.line(body, place(EntryField::Text))
            || !out.line(e.image, place(EntryField::Image)))
            return out.take();
    }
    return out.take();
}

WriteResult write_document(const QString& path, const Document& document)
{
    const EncodeResult encoded = encode_document(document);
    if (!encoded.ok())
        return { encoded.error, encoded.message };
    const FileWriteResult written = write_file_atomically(path, encoded.bytes);
    if (!written.ok())
        return { WriteError::CannotWrite, written.message };
    return {};
}

} // namespace zk
