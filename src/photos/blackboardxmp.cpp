#include "blackboardxmp.h"

#include "photos/photofacts.h"

#include <QHash>
#include <QList>
#include <QXmlStreamReader>

#include <algorithm>

namespace zk {

const QString BlackboardXmp::PhotoInfoNs = QStringLiteral("http://dcpadv.org/schema/3.0/photoinfo");
const QString BlackboardXmp::MeasurementNs
    = QStringLiteral("http://dcpadv.org/schema/3.0/measurement");
const QString BlackboardXmp::MeasurementItemNs
    = QStringLiteral("http://dcpadv.org/schema/3.0/measurementitem");

namespace {

const QString RdfNs = QStringLiteral("http://www.w3.org/1999/02/22-rdf-syntax-ns#");
const QString XmlNs = QStringLiteral("http://www.w3.org/XML/1998/namespace");

// The namespaces this reader looks at, as shared strings: comparing and
// keeping them costs no allocation. Others come back empty.
QString knownNs(QStringView uri)
{
    for (const QString* ns : { &BlackboardXmp::PhotoInfoNs, &BlackboardXmp::MeasurementNs,
             &BlackboardXmp::MeasurementItemNs, &RdfNs, &XmlNs }) {
        if (uri == *ns)
            return *ns;
    }
    return {};
}

struct Attribute
{
    QString ns;
    QString name;
    QString value;
};

// One element of the packet: the RDF is small, so it is read into a flat
// tree first and then looked through in either of its two written forms.
struct Node
{
    QString ns;
    QString name;
    QList<Attribute> attributes;
    QString text;
    QList<int> children;
};

class Tree
{
public:
    QList<Node> nodes;

    bool parse(QByteArrayView packet, QString* reason)
    {
        QXmlStreamReader xml(packet.toByteArray());
        // XMP has no use for entities; a packet declaring some is refused
        // below, and this bounds what the predefined ones could add.
        xml.setEntityExpansionLimit(1024);
        QList<int> open;
        while (!xml.atEnd()) {
            switch (xml.readNext()) {
            case QXmlStreamReader::DTD:
                *reason = QStringLiteral("XMP に文書型宣言があるため読みません.");
                return false;
            case QXmlStreamReader::StartElement: {
                if (open.size() >= BlackboardXmp::MaxDepth || nodes.size() >= BlackboardXmp::MaxNodes) {
                    *reason = QStringLiteral("XMP の入れ子や要素が多すぎます.");
                    return false;
                }
                Node node;
                node.ns = knownNs(xml.namespaceUri());
                node.name = xml.name().toString();
                const QXmlStreamAttributes attributes = xml.attributes();
                for (const QXmlStreamAttribute& a : attributes) {
                    // rdf:about, rdf:parseType and the like tell nothing here.
                    const QString ns = knownNs(a.namespaceUri());
                    if (!ns.isEmpty() && ns != RdfNs)
                        node.attributes.append({ ns, a.name().toString(), a.value().toString() });
                }
                if (!open.isEmpty())
                    nodes[open.last()].children.append(int(nodes.size()));
                open.append(int(nodes.size()));
                nodes.append(std::move(node));
                break;
            }
            case QXmlStreamReader::EndElement:
                if (!open.isEmpty())
                    open.removeLast();
                break;
            case QXmlStreamReader::Characters:
                if (!open.isEmpty() && !xml.isWhitespace())
                    nodes[open.last()].text += xml.text();
                break;
            default:
                break;
            }
        }
        if (xml.hasError()) {
            *reason = QStringLiteral("XMP の書式が壊れています (%1 行目: %2).")
                          .arg(xml.lineNumber())
                          .arg(xml.errorString());
            return false;
        }
        return true;
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
            if (container.ns != RdfNs)
                continue;
            if (container.name == QLatin1String("Alt")) {
                const QString chosen = alternative(container);
                if (!chosen.isEmpty())
                    out.append(chosen);
            } else if (container.name == QLatin1String("Seq")
                || container.name == QLatin1String("Bag")) {
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
                if (a.ns == XmlNs && a.name == QLatin1String("lang"))
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
// it or of its descendants, or as elements: first written wins.
class Properties
{
public:
    void take(const QString& name, const QStringList& values)
    {
        if (!values.isEmpty() && !found.contains(name))
            found.insert(name, values);
    }
    bool has(const QString& name) const { return found.contains(name); }
    QStringList list(const char* name) const { return found.value(QLatin1String(name)); }
    QString text(const char* name) const { return list(name).join(QLatin1Char('\n')); }
    bool isEmpty() const { return found.isEmpty(); }

private:
    QHash<QString, QStringList> found;
};

void gather(const Tree& tree, int node, const QString& ns, Properties* into)
{
    for (const Attribute& a : tree.at(node).attributes) {
        if (a.ns == ns && !into->has(a.name) && !a.value.trimmed().isEmpty())
            into->take(a.name, { a.value.trimmed() });
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
        gather(tree, n, BlackboardXmp::MeasurementNs, &heading);
        Properties item;
        gather(tree, n, BlackboardXmp::MeasurementItemNs, &item);
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
    // Cameras pad the packet with kilobytes of spaces for later edits; the
    // XML reader would spend a third of its time on them.
    const qsizetype end = packet.lastIndexOf(QByteArrayView("<?xpacket end"));
    if (end > 0)
        packet = packet.first(end);
    while (!packet.isEmpty() && QChar::isSpace(uchar(packet.back())))
        packet.chop(1);
    Tree tree;
    if (!tree.parse(packet, reason))
        return false;

    Properties board;
    int measurementRoot = -1;
    for (int n = 0; n < tree.nodes.size(); ++n) {
        // Only the board's own level: the measurement's items have names
        // of their own namespaces.
        gather(tree, n, PhotoInfoNs, &board);
        if (measurementRoot < 0 && tree.at(n).ns == PhotoInfoNs
            && tree.at(n).name == QLatin1String("Measurements"))
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
