#include "docfile/cp932codec.h"

#include <QRandomGenerator>
#include <QTest>

using namespace zk;

namespace {

QByteArray encoded(const QString& text)
{
    QByteArray out;
    const qsizetype bad = Cp932Codec::instance().encode(text, out);
    return bad < 0 ? out : QByteArray("<refused>");
}

QString decoded(const QByteArray& bytes)
{
    return Cp932Codec::instance().decode(bytes);
}

QByteArray pair(int lead, int trail)
{
    return QByteArray(1, char(lead)) + char(trail);
}

} // namespace

class TestCp932Codec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrips_data();
    void roundTrips();
    void linuxInputFormsWriteWindowsBytes_data();
    void linuxInputFormsWriteWindowsBytes();
    void everyCodeRoundTripsOrIsAWindowsDuplicate();
    void undecodableBytesComeBackUnchanged_data();
    void undecodableBytesComeBackUnchanged();
    void randomBytesComeBackUnchanged();
    void refusesWhatItCannotHold_data();
    void refusesWhatItCannotHold();
};

// Text and bytes that must map onto each other in both directions.
void TestCp932Codec::roundTrips_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << QStringLiteral("C:\\a b,\"c\"~") << QByteArray("C:\\a b,\"c\"~");
    QTest::newRow("half-width katakana")
        << QStringLiteral("ﾌｧｲﾙ") << QByteArray("\xCC\xA7\xB2\xD9");
    QTest::newRow("dame-moji") << QStringLiteral("表ソ能")
                               << QByteArray("\x95\x5C\x83\x5C\x94\x5C");
    QTest::newRow("kanji") << QStringLiteral("工事写真帳")
                           << QByteArray("\x8D\x48\x8E\x96\x8E\xCA\x90\x5E\x92\xA0");
    QTest::newRow("ideographic space") << QStringLiteral("　") << QByteArray("\x81\x40");
    QTest::newRow("wave dash as Windows reads it")
        << QStringLiteral("～") << QByteArray("\x81\x60");
    QTest::newRow("circled one") << QStringLiteral("①") << QByteArray("\x87\x40");
    QTest::newRow("roman one") << QStringLiteral("Ⅰ") << QByteArray("\x87\x54");
    QTest::newRow("kabushiki") << QStringLiteral("㈱") << QByteArray("\x87\x8A");
    QTest::newRow("hashigo-daka") << QStringLiteral("髙") << QByteArray("\xFB\xFC");
    QTest::newRow("tatsu-saki") << QStringLiteral("﨑") << QByteArray("\xFA\xB1");
    QTest::newRow("small roman one") << QStringLiteral("ⅰ") << QByteArray("\xFA\x40");
    QTest::newRow("not sign, JIS code") << QStringLiteral("\uFFE2") << QByteArray("\x81\xCA");
    QTest::newRow("because, JIS code") << QStringLiteral("\u2235") << QByteArray("\x81\xE6");
    QTest::newRow("user-defined first") << QString(QChar(0xE000)) << QByteArray("\xF0\x40");
    QTest::newRow("user-defined last") << QString(QChar(0xE757)) << QByteArray("\xF9\xFC");
    QTest::newRow("windows 80") << QString(QChar(0x0080)) << QByteArray("\x80");
    QTest::newRow("windows A0 FD FE FF")
        << (QString(QChar(0xF8F0)) + QChar(0xF8F1) + QChar(0xF8F2) + QChar(0xF8F3))
        << QByteArray("\xA0\xFD\xFE\xFF");
}

void TestCp932Codec::roundTrips()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(decoded(bytes), text);
    QCOMPARE(encoded(text), bytes);
}

void TestCp932Codec::linuxInputFormsWriteWindowsBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("wave dash") << QStringLiteral("\u301C") << QByteArray("\x81\x60");
    QTest::newRow("double vertical line") << QStringLiteral("\u2016") << QByteArray("\x81\x61");
    QTest::newRow("minus sign") << QStringLiteral("\u2212") << QByteArray("\x81\x7C");
    QTest::newRow("cent") << QStringLiteral("\u00A2") << QByteArray("\x81\x91");
    QTest::newRow("pound") << QStringLiteral("\u00A3") << QByteArray("\x81\x92");
    QTest::newRow("not") << QStringLiteral("\u00AC") << QByteArray("\x81\xCA");
    QTest::newRow("em dash") << QStringLiteral("\u2014") << QByteArray("\x81\x5C");
    QTest::newRow("yen") << QStringLiteral("\u00A5") << QByteArray("\x5C");
    QTest::newRow("overline") << QStringLiteral("\u203E") << QByteArray("\x7E");
}

// Without these the file would hold garbage or be refused for a character
// that the user typed and Windows users see as the same glyph.
void TestCp932Codec::linuxInputFormsWriteWindowsBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(encoded(text), bytes);
}

// Every code that decodes is written back as itself, except a duplicate,
// which is written as the code Windows prefers for that character (JIS, then
// NEC row 13, then the IBM extension).
void TestCp932Codec::everyCodeRoundTripsOrIsAWindowsDuplicate()
{
    const auto isDuplicateRow = [](uchar lead) {
        return lead == 0x87 || lead == 0xED || lead == 0xEE || (lead >= 0xFA && lead <= 0xFC);
    };
    for (int b = 0; b < 256; ++b) {
        const QByteArray one(1, char(b));
        const QString c = decoded(one);
        if (c.size() == 1 && !Cp932Codec::isEscapedByte(c.at(0).unicode()))
            QCOMPARE(encoded(c), one);
    }
    int pairs = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const QByteArray code = pair(lead, trail);
            const QString c = decoded(code);
            if (c.size() != 1)
                continue;
            ++pairs;
            const QByteArray written = encoded(c);
            // Windows never writes the NEC-selected codes.
            QVERIFY2(written != code || (lead != 0xED && lead != 0xEE), code.toHex().constData());
            if (written != code) {
                QVERIFY2(isDuplicateRow(uchar(lead)), code.toHex().constData());
                QCOMPARE(decoded(written), c);
            }
        }
    }
    QVERIFY(pairs > 9000);
}

void TestCp932Codec::undecodableBytesComeBackUnchanged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("lead byte before a blank") << QByteArray("\x81 a");
    QTest::newRow("lead byte at the end") << QByteArray("abc\x82");
    QTest::newRow("unassigned pair") << QByteArray("\x85\x40\x86\x9F");
    QTest::newRow("lead byte before a lead byte") << QByteArray("\x81\x81\x40");
    QTest::newRow("lead byte before CR") << QByteArray("\x9F\r");
}

void TestCp932Codec::undecodableBytesComeBackUnchanged()
{
    QFETCH(QByteArray, bytes);
    const QString text = decoded(bytes);
    QVERIFY(!text.contains(QChar(0x1A)));
    QVERIFY(!text.contains(QChar(QChar::ReplacementCharacter)));
    QCOMPARE(encoded(text), bytes);
}

// Whatever another program wrote, opening and saving keeps every character,
// and every byte too unless it was a code that Windows never writes.
void TestCp932Codec::randomBytesComeBackUnchanged()
{
    const auto mayHoldDuplicate = [](const QByteArray& bytes) {
        for (char b : bytes) {
            const uchar u = uchar(b);
            if (u == 0x87 || u == 0xED || u == 0xEE || (u >= 0xFA && u <= 0xFC))
                return true;
        }
        return false;
    };
    QRandomGenerator random(932);
    int exact = 0;
    for (int n = 0; n < 20000; ++n) {
        QByteArray bytes(1 + random.bounded(8), Qt::Uninitialized);
        for (char& b : bytes)
            b = char(random.bounded(256));
        const QString text = decoded(bytes);
        const QByteArray again = encoded(text);
        QVERIFY2(decoded(again) == text, bytes.toHex(' ').constData());
        if (!mayHoldDuplicate(bytes)) {
            QVERIFY2(again == bytes, bytes.toHex(' ').constData());
            ++exact;
        }
    }
    QVERIFY(exact > 10000);
}

void TestCp932Codec::refusesWhatItCannotHold_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::newRow("emoji") << QStringLiteral("写真😀") << 2;
    QTest::newRow("tsuchi-yoshi") << QStringLiteral("𠮷野家") << 0;
    QTest::newRow("hangul") << QStringLiteral("ab한") << 2;
    QTest::newRow("lone high surrogate") << (QStringLiteral("a") + QChar(0xD800)) << 1;
    QTest::newRow("low surrogate beyond the byte escapes")
        << (QStringLiteral("a") + QChar(0xDE00)) << 1;
}

void TestCp932Codec::refusesWhatItCannotHold()
{
    QFETCH(QString, text);
    QFETCH(int, index);
    QByteArray out;
    QCOMPARE(Cp932Codec::instance().encode(text, out), qsizetype(index));
}

QTEST_GUILESS_MAIN(TestCp932Codec)
#include "tst_cp932codec.moc"
