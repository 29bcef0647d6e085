#include "blackboardxmp.h"

#include "photos/photofacts.h"

#include <QList>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <utility>

namespace zk {

namespace {

// The namespaces this reader looks at; all others are Other.
enum class Ns { None, Other, PhotoInfo, Measurement, MeasurementItem, Rdf, Xml };

Ns knownNs(QByteArrayView uri)
{
    if (uri.isEmpty())
        return Ns::None;
    if (uri == BlackboardXmp::PhotoInfoNs)
        return Ns::PhotoInfo;
    if (uri == BlackboardXmp::MeasurementNs)
        return Ns::Measurement;
    if (uri == BlackboardXmp::MeasurementItemNs)
        return Ns::MeasurementItem;
    if (uri == "http://www.w3.org/1999/02/22-rdf-syntax-ns#")
        return Ns::Rdf;
    if (uri == "http://www.w3.org/XML/1998/namespace")
        return Ns::Xml;
    return Ns::Other;
}

// Names are views into the packet, which outlives the tree.
struct Attribute
{
    Ns ns = Ns::None;
    QByteArrayView name;
    QString value;
};

// One element of the packet: the RDF is small, so it is read into a flat
// tree first and then looked through in either of its two written forms.
struct Node
{
    Ns ns = Ns::None;
    QByteArrayView name;
    QList<Attribute> attributes;
    QString text;
    QList<int> children;
};

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

// The bytes a name is made of: of ASCII, letters, digits, - . _ and the
// colon; every byte of other characters.
constexpr std::array<bool, 256> nameBytes = [] {
    std::array<bool, 256> bytes {};
    for (int c = 0; c < 256; ++c)
        bytes[size_t(c)] = c >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')
            || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == ':';
    return bytes;
}();

// A namespace declared on an open element.
struct Binding
{
    QByteArrayView prefix; // empty for the default namespace
    Ns ns;
};

// Reads the packet's XML straight from its UTF-8 bytes into the tree. Only
// what XMP uses is taken: elements, attributes, namespaces, character data,
// CDATA and the predefined and numeric character references; comments and
// processing instructions are passed over. A document type declaration is
// refused (XMP has no use for one, and its entities could expand without
// bound), and so is anything that is not well-formed.
class XmlScanner
{
public:
    XmlScanner(QByteArrayView bytes, QList<Node>* nodes) : data(bytes), nodes(nodes) { }

    bool run(QString* reason)
    {
        if (data.startsWith("\xEF\xBB\xBF"))
            pos = 3;
        bool rootSeen = false;
        while (ok) {
            const qsizetype text = pos;
            const qsizetype next = data.indexOf('<', pos);
            pos = next < 0 ? data.size() : next;
            if (open.isEmpty()) {
                // Only white space stands outside the root element.
                for (qsizetype i = text; i < pos; ++i) {
                    if (!isXmlSpace(data[i]))
                        error("要素の外に文字があります");
                }
            } else {
                characters(data.sliced(text, pos - text), true);
            }
            if (pos >= data.size())
                break;
            // One byte tells the kind of markup.
            const char kind = pos + 1 < data.size() ? data[pos + 1] : '\0';
            if (kind == '!' && at("<!--")) {
                skipPast("-->", 4);
            } else if (kind == '?') {
                skipPast("?>", 2);
            } else if (kind == '!' && at("<![CDATA[")) {
                if (open.isEmpty()) {
                    error("要素の外に CDATA があります");
                    break;
                }
                const qsizetype start = pos + 9;
                if (skipPast("]]>", 9))
                    characters(data.sliced(start, pos - 3 - start), false);
            } else if (kind == '!' && at("<!DOCTYPE")) {
                *reason = QStringLiteral("XMP に文書型宣言があるため読みません.");
                return false;
            } else if (kind == '/') {
                endElement();
            } else if (open.isEmpty() && rootSeen) {
                error("要素の外に要素があります");
            } else {
                rootSeen = true;
                startElement();
            }
        }
        if (ok && (!open.isEmpty() || !rootSeen))
            error("文書が途中で終わっています");
        // Text in another encoding would come out garbled.
        if (ok && !data.first(pos).isValidUtf8()) {
            why = QStringLiteral("XMP の文字コードが UTF-8 ではありません.");
            ok = false;
        }
        if (!ok)
            *reason = why;
        return ok;
    }

private:
    bool at(const char* s) const { return data.sliced(pos).startsWith(s); }

    // Where, in bytes: a packet is mostly one line.
    bool error(const char* what)
    {
        if (ok)
            why = QStringLiteral("XMP の書式が壊れています (%1 バイト目: %2).")
                      .arg(pos + 1)
                      .arg(QString::fromUtf8(what));
        ok = false;
        return false;
    }

    // Moves past the end mark searched from `from` bytes on.
    bool skipPast(const char* mark, qsizetype from)
    {
        const qsizetype end = data.indexOf(QByteArrayView(mark), pos + from);
        if (end < 0) {
            pos = data.size();
            return error("閉じられていない記述があります");
        }
        pos = end + qsizetype(qstrlen(mark));
        return true;
    }

    // A name with at most one colon, between two non-empty parts, neither
    // starting with a digit, '-' or '.'.
    QByteArrayView name()
    {
        const qsizetype start = pos;
        const qsizetype size = data.size();
        const char* bytes = data.data();
        qsizetype end = pos;
        while (end < size && nameBytes[uchar(bytes[end])])
            ++end;
        pos = end;
        const QByteArrayView n = data.sliced(start, end - start);
        const qsizetype colon = n.indexOf(':');
        const auto starts = [](QByteArrayView part) {
            return !part.isEmpty() && !(part[0] >= '0' && part[0] <= '9') && part[0] != '-'
                && part[0] != '.';
        };
        const bool valid = colon < 0 ? starts(n)
                                     : starts(n.first(colon)) && starts(n.sliced(colon + 1))
                && n.indexOf(':', colon + 1) < 0;
        if (!valid)
            error("名前が正しくありません");
        return n;
    }

    void skipSpace()
    {
        while (pos < data.size() && isXmlSpace(data[pos]))
            ++pos;
    }

    // The namespace of a prefixed name, or the default one; error when the
    // prefix was never declared.
    Ns resolve(QByteArrayView prefix, bool attribute)
    {
        if (prefix.isEmpty() && attribute)
            return Ns::None;
        if (prefix == "xml")
            return Ns::Xml;
        for (qsizetype i = bindings.size() - 1; i >= 0; --i) {
            if (bindings.at(i).prefix == prefix)
                return bindings.at(i).ns;
        }
        if (!prefix.isEmpty())
            error("宣言されていない名前空間の接頭辞があります");
        return Ns::None;
    }

    static std::pair<QByteArrayView, QByteArrayView> split(QByteArrayView qualified)
    {
        const qsizetype colon = qualified.indexOf(':');
        if (colon < 0)
            return { {}, qualified };
        return { qualified.first(colon), qualified.sliced(colon + 1) };
    }

    // Appends character data to the open element, unless it is only white
    // space; references are resolved where `parsed`.
    void characters(QByteArrayView raw, bool parsed)
    {
        if (raw.isEmpty() || std::all_of(raw.begin(), raw.end(), isXmlSpace))
            return;
        QString& text = (*nodes)[open.last()].text;
        if (parsed)
            text += decode(raw, false);
        else
            text += QString::fromUtf8(raw);
    }

    // Character data with its references resolved and line ends as '\n';
    // attribute values also turn white space into spaces, as XML reads them.
    QString decode(QByteArrayView raw, bool attribute)
    {
        if (!raw.contains('&') && !raw.contains('\r')
            && !(attribute && (raw.contains('\n') || raw.contains('\t')))) {
            if (raw.contains('\0'))
                error("使えない文字があります");
            return QString::fromUtf8(raw);
        }
        QByteArray out;
        out.reserve(raw.size());
        for (qsizetype i = 0; i < raw.size(); ++i) {
            const char c = raw[i];
            if (c == '\0') {
                error("使えない文字があります");
                return {};
            }
            if (c == '\r') {
                if (i + 1 < raw.size() && raw[i + 1] == '\n')
                    ++i;
                out += attribute ? ' ' : '\n';
            } else if (attribute && (c == '\n' || c == '\t')) {
                out += ' ';
            } else if (c != '&') {
                out += c;
            } else {
                const qsizetype semi = raw.indexOf(';', i);
                if (semi < 0 || semi - i > 12) {
                    error("文字参照が閉じられていません");
                    return {};
                }
                if (!reference(raw.sliced(i + 1, semi - i - 1), &out))
                    return {};
                i = semi;
            }
        }
        return QString::fromUtf8(out);
    }

    // &lt; and its kin, &#NN; and &#xHH;: the only ones a packet without a
    // document type can hold.
    bool reference(QByteArrayView name, QByteArray* out)
    {
        static const std::pair<const char*, char> predefined[]
            = { { "lt", '<' }, { "gt", '>' }, { "amp", '&' }, { "quot", '"' }, { "apos", '\'' } };
        for (const auto& [n, c] : predefined) {
            if (name == n) {
                *out += c;
                return true;
            }
        }
        if (!name.startsWith('#') || name.size() < 2)
            return error("宣言されていない実体参照があります");
        const bool hex = name[1] == 'x';
        const QByteArrayView digits = name.sliced(hex ? 2 : 1);
        bool valid = !digits.isEmpty();
        char32_t code = 0;
        for (const char d : digits) {
            const int v = d >= '0' && d <= '9' ? d - '0'
                : hex && d >= 'a' && d <= 'f'  ? d - 'a' + 10
                : hex && d >= 'A' && d <= 'F'  ? d - 'A' + 10
                                               : -1;
            if (v < 0 || code > 0x10FFFF) {
                valid = false;
                break;
            }
            code = code * (hex ? 16 : 10) + char32_t(v);
        }
        // The characters XML allows.
        valid = valid
            && (code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF)
                || (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF));
        if (!valid)
            return error("文字参照が正しくありません");
        *out += QString::fromUcs4(&code, 1).toUtf8();
        return true;
    }

    void startElement()
    {
        ++pos; // '<'
        const QByteArrayView qualified = name();
        if (!ok)
            return;
        if (open.size() >= BlackboardXmp::MaxDepth || nodes->size() >= BlackboardXmp::MaxNodes) {
            why = QStringLiteral("XMP の入れ子や要素が多すぎます.");
            ok = false;
            return;
        }
        // Attributes first: the namespaces they declare hold for the
        // element's own name.
        struct Raw
        {
            QByteArrayView name;
            QByteArrayView value;
        };
        QList<Raw> raws;
        const qsizetype bound = bindings.size();
        bool empty = false;
        for (;;) {
            const qsizetype before = pos;
            skipSpace();
            if (pos >= data.size()) {
                error("要素が閉じられていません");
                return;
            }
            if (data[pos] == '>') {
                ++pos;
                break;
            }
            if (at("/>")) {
                pos += 2;
                empty = true;
                break;
            }
            if (pos == before) {
                error("属性の前に空白がありません");
                return;
            }
            const QByteArrayView attribute = name();
            skipSpace();
            if (!ok || pos >= data.size() || data[pos] != '=') {
                error("属性に = がありません");
                return;
            }
            ++pos;
            skipSpace();
            if (pos >= data.size() || (data[pos] != '"' && data[pos] != '\'')) {
                error("属性の値が引用符で囲まれていません");
                return;
            }
            const char quote = data[pos];
            const qsizetype end = data.indexOf(quote, pos + 1);
            if (end < 0) {
                error("属性の値が閉じられていません");
                return;
            }
            const QByteArrayView value = data.sliced(pos + 1, end - pos - 1);
            if (value.contains('<')) {
                error("属性の値に < があります");
                return;
            }
            pos = end + 1;
            const bool declares = attribute == "xmlns" || attribute.startsWith("xmlns:");
            QByteArray uri;
            if (value.contains('&') || value.contains('\0')) {
                // Checked even where it is not kept: a broken value breaks the packet.
                uri = decode(value, true).toUtf8();
                if (!ok)
                    return;
            }
            if (declares) {
                const Ns ns = knownNs(uri.isNull() ? value : QByteArrayView(uri));
                bindings.append(
                    { attribute.size() > 5 ? attribute.sliced(6) : QByteArrayView(), ns });
            } else {
                raws.append({ attribute, value });
            }
        }
        const auto [prefix, local] = split(qualified);
        Node node;
        node.ns = resolve(prefix, false);
        node.name = local;
        for (const Raw& raw : std::as_const(raws)) {
            const auto [p, n] = split(raw.name);
            const Ns ns = resolve(p, true);
            // rdf:about, rdf:parseType and the like tell nothing here.
            if (ns != Ns::None && ns != Ns::Other && ns != Ns::Rdf)
                node.attributes.append({ ns, n, decode(raw.value, true) });
        }
        if (!ok)
            return;
        const int index = int(nodes->size());
        if (!open.isEmpty())
            (*nodes)[open.last()].children.append(index);
        nodes->append(std::move(node));
        if (empty) {
            bindings.resize(bound);
        } else {
            open.append(index);
            names.append(qualified);
            scopes.append(bound);
        }
    }

    void endElement()
    {
        pos += 2;
        const QByteArrayView qualified = name();
        skipSpace();
        if (!ok)
            return;
        if (pos >= data.size() || data[pos] != '>') {
            error("終了タグが閉じられていません");
            return;
        }
        ++pos;
        if (open.isEmpty() || names.last() != qualified) {
            error("終了タグが開始タグと合いません");
            return;
        }
        open.removeLast();
        names.removeLast();
        bindings.resize(scopes.takeLast());
    }

    QByteArrayView data;
    QList<Node>* nodes;
    qsizetype pos = 0;
    bool ok = true;
    QString why;
    // The open elements: their nodes, names as written and the bindings
    // declared before them.
    QList<int> open;
    QList<QByteArrayView> names;
    QList<qsizetype> scopes;
    QList<Binding> bindings;
};

class Tree
{
public:
    QList<Node> nodes;

    bool parse(QByteArrayView packet, QString* reason)
    {
        nodes.reserve(64);
        return XmlScanner(packet, &nodes).run(reason);
    }

    const Node& at(int i) const { return nodes.at(i); }

    // The texts of an element's value: rdf:Seq and rdf:Bag give all their
    // items, rdf:Alt the one in the default or Japanese language, a plain
    // element its text.
    QStringList values(int i) const
    {
        QStringList out;
        for (const int c : at(i).children) {
            const Node& container = at(c);
            if (container.ns != Ns::Rdf)
                continue;
            if (container.name == "Alt") {
                const QString chosen = alternative(container);
                if (!chosen.isEmpty())
                    out.append(chosen);
            } else if (container.name == "Seq" || container.name == "Bag") {
                for (const int li : container.children) {
                    const QString text = at(li).text.trimmed();
                    if (!text.isEmpty())
                        out.append(text);
                }
            }
        }
        const QString own = at(i).text.trimmed();
        if (out.isEmpty() && !own.isEmpty())
            out.append(own);
        return out;
    }

    // Indices of the elements under i, i itself first, in document order.
    QList<int> subtree(int i) const
    {
        QList<int> out { i };
        for (int k = 0; k < out.size(); ++k)
            out.append(at(out.at(k)).children);
        std::sort(out.begin(), out.end());
        return out;
    }

private:
    QString alternative(const Node& alt) const
    {
        QString first;
        QString japanese;
        for (const int li : alt.children) {
            const Node& item = at(li);
            const QString text = item.text.trimmed();
            QString lang;
            for (const Attribute& a : item.attributes) {
                if (a.ns == Ns::Xml && a.name == "lang")
                    lang = a.value.toLower();
            }
            if (lang == QLatin1String("x-default") && !text.isEmpty())
                return text;
            if (lang.startsWith(QLatin1String("ja")) && japanese.isEmpty())
                japanese = text;
            if (first.isEmpty())
                first = text;
        }
        return japanese.isEmpty() ? first : japanese;
    }
};

// "True"/"False" in any case (and "1"/"0") as the delivery writes them.
QString flag(const QString& value)
{
    const QString v = value.trimmed().toLower();
    if (v == QLatin1String("true") || v == QLatin1String("1"))
        return QStringLiteral("1");
    if (v == QLatin1String("false") || v == QLatin1String("0"))
        return QStringLiteral("0");
    return {};
}

// The properties of one namespace found under a node, as attributes of
// it or of its descendants, or as elements: first written wins. A board
// has a few dozen, so a list looked through beats a hash.
class Properties
{
public:
    void take(QByteArrayView name, const QStringList& values)
    {
        if (!values.isEmpty() && !has(name))
            found.append({ name, values });
    }
    bool has(QByteArrayView name) const
    {
        return std::any_of(
            found.cbegin(), found.cend(), [name](const auto& p) { return p.first == name; });
    }
    QStringList list(const char* name) const
    {
        for (const auto& p : found) {
            if (p.first == name)
                return p.second;
        }
        return {};
    }
    QString text(const char* name) const { return list(name).join(QLatin1Char('\n')); }
    bool isEmpty() const { return found.isEmpty(); }

private:
    QList<std::pair<QByteArrayView, QStringList>> found;
};

void gather(const Tree& tree, int node, Ns ns, Properties* into)
{
    for (const Attribute& a : tree.at(node).attributes) {
        if (a.ns == ns && !into->has(a.name)) {
            const QString value = a.value.trimmed();
            if (!value.isEmpty())
                into->take(a.name, { value });
        }
    }
    for (const int c : tree.at(node).children) {
        if (tree.at(c).ns == ns && !into->has(tree.at(c).name))
            into->take(tree.at(c).name, tree.values(c));
    }
}

// One measurement item as a line: "幅 W 設計 1000 実測 1005 mm (備考)".
QString measurementLine(const Properties& item)
{
    QStringList parts;
    const auto add = [&parts](const QString& prefix, const QString& value) {
        if (!value.isEmpty())
            parts.append(prefix + value);
    };
    add({}, item.text("Name"));
    add({}, item.text("Mark"));
    add(QStringLiteral("設計 "), item.text("DesignedValue"));
    add(QStringLiteral("実測 "), item.text("MeasuredValue"));
    add({}, item.text("UnitName"));
    const QString remarks = item.text("Remarks");
    if (!remarks.isEmpty())
        parts.append(QLatin1Char('(') + remarks + QLatin1Char(')'));
    return parts.join(QLatin1Char(' '));
}

QString measurements(const Tree& tree, int root)
{
    QStringList lines;
    Properties heading;
    for (const int n : tree.subtree(root)) {
        gather(tree, n, Ns::Measurement, &heading);
        Properties item;
        gather(tree, n, Ns::MeasurementItem, &item);
        if (!item.isEmpty())
            lines.append(measurementLine(item));
    }
    const QString classification = heading.text("Classification");
    if (!classification.isEmpty())
        lines.prepend(classification);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

bool BlackboardXmp::read(QByteArrayView packet, PhotoFacts* facts, QString* reason)
{
    QString why;
    if (!reason)
        reason = &why;
    if (packet.size() > MaxBytes) {
        *reason = QStringLiteral("XMP が大きすぎます.");
        return false;
    }
    // XMP in a JPEG is UTF-8; the rare UTF-16 packet is turned into it.
    QByteArray converted;
    if (packet.startsWith("\xFE\xFF") || packet.startsWith("\xFF\xFE")) {
        QStringDecoder decoder(
            packet.startsWith("\xFE\xFF") ? QStringDecoder::Utf16BE : QStringDecoder::Utf16LE);
        converted = QString(decoder(packet)).toUtf8();
        packet = converted;
    }
    // Cameras pad the packet with kilobytes of spaces for later edits.
    const qsizetype end = packet.lastIndexOf(QByteArrayView("<?xpacket end"));
    qsizetype size = end > 0 ? end : packet.size();
    while (size > 0 && isXmlSpace(packet[size - 1]))
        --size;
    packet = packet.first(size);
    Tree tree;
    if (!tree.parse(packet, reason))
        return false;

    Properties board;
    int measurementRoot = -1;
    for (int n = 0; n < tree.nodes.size(); ++n) {
        // Only the board's own level: the measurement's items have names
        // of their own namespaces.
        gather(tree, n, Ns::PhotoInfo, &board);
        if (measurementRoot < 0 && tree.at(n).ns == Ns::PhotoInfo
            && tree.at(n).name == "Measurements")
            measurementRoot = n;
    }
    const QString measured = measurementRoot >= 0 ? measurements(tree, measurementRoot) : QString();
    if (board.isEmpty() && measured.isEmpty()) {
        *reason = QStringLiteral("写真に小黒板の情報がありません.");
        return false;
    }

    PhotoInfo& info = facts->info;
    info.largeClass = board.text("LargeClassification");
    info.photoClass = board.text("PhotoClassification");
    info.workType = board.text("ConstructionType");
    info.kind = board.text("MiddleClassification");
    info.detail = board.text("SmallClassification");
    info.reserves = board.list("ClassificationRemarks");
    info.spot = board.text("ShootingSpot");
    info.representative = flag(board.text("IsRepresentative"));
    info.frequency = flag(board.text("IsFrequencyOfSubmission"));
    info.remark = board.text("ContractorRemarks");
    info.controlValue = measured;
    // A title is one line.
    facts->title = board.list("Title").join(QLatin1Char(' '));
    facts->project = board.text("ConstructionName");
    facts->company = board.text("Contructor");
    facts->hasBoard = true;
    return true;
}

} // namespace zk
