#include "cover/corpini.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace zk;

namespace {

QByteArray sjis(const QString& text)
{
    QStringEncoder encoder("windows-31j");
    return encoder(text);
}

} // namespace

class TestCorpIni : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lookup_data();
    void lookup();
    void kanjiDifferingInAsciiCaseBytesAreDifferent();
    void longValuesAreCutAtCharacterBoundary();
    void readsUtf8WithAndWithoutBom();
    void missingFileGivesEmptyValues();
    void searchesBesideTheProgramFirst();
};

void TestCorpIni::lookup_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    const QString basic = QStringLiteral(
        "[工事名]\r\n名称=市道改良工事\r\n[工事施工者]\r\n会社名=株式会社 山田建設\r\n");
    QTest::newRow("found") << basic << "工事名"
                           << "名称"
                           << "市道改良工事";
    QTest::newRow("second section") << basic << "工事施工者"
                                    << "会社名"
                                    << "株式会社 山田建設";
    QTest::newRow("missing key") << basic << "工事名"
                                 << "所在"
                                 << "";
    QTest::newRow("missing section") << basic << "工事場所"
                                     << "所在"
                                     << "";
    QTest::newRow("key of another section") << basic << "工事名"
                                            << "会社名"
                                            << "";
    QTest::newRow("ascii case ignored") << "[Koji]\nNAME=x\n"
                                        << "kOJI"
                                        << "name"
                                        << "x";
    QTest::newRow("full-width case kept") << "[Ａ]\nk=x\n"
                                          << "ａ"
                                          << "k"
                                          << "";
    QTest::newRow("blanks around value") << "[s]\nk \t=  \t値 の 中  \t\n"
                                         << "s"
                                         << "k"
                                         << "値 の 中";
    QTest::newRow("ideographic space kept") << "[s]\nk=　値　\n"
                                            << "s"
                                            << "k"
                                            << "　値　";
    QTest::newRow("double quotes") << "[s]\nk=\" 値 \"\n"
                                   << "s"
                                   << "k"
                                   << " 値 ";
    QTest::newRow("single quotes") << "[s]\nk='値'\n"
                                   << "s"
                                   << "k"
                                   << "値";
    QTest::newRow("unmatched quotes") << "[s]\nk=\"値'\n"
                                      << "s"
                                      << "k"
                                      << "\"値'";
    QTest::newRow("one pair only") << "[s]\nk=\"\"値\"\"\n"
                                   << "s"
                                   << "k"
                                   << "\"値\"";
    QTest::newRow("after first equals") << "[s]\nk=a=b\n"
                                        << "s"
                                        << "k"
                                        << "a=b";
    QTest::newRow("empty value") << "[s]\nk=\n"
                                 << "s"
                                 << "k"
                                 << "";
    QTest::newRow("comment line") << "[s]\n;k=x\nk=y\n"
                                  << "s"
                                  << "k"
                                  << "y";
    QTest::newRow("no inline comment") << "[s]\nk=x ; note\n"
                                       << "s"
                                       << "k"
                                       << "x ; note";
    QTest::newRow("line without equals") << "[s]\nk\nk=y\n"
                                         << "s"
                                         << "k"
                                         << "y";
    QTest::newRow("first key wins") << "[s]\nk=1\nk=2\n"
                                    << "s"
                                    << "k"
                                    << "1";
    QTest::newRow("first section wins") << "[s]\na=1\n[s]\nk=2\n"
                                        << "s"
                                        << "k"
                                        << "";
    QTest::newRow("key before any section") << "k=1\n[s]\n"
                                            << "s"
                                            << "k"
                                            << "";
    QTest::newRow("indented lines") << "  [s]\n  k = v\n"
                                    << "s"
                                    << "k"
                                    << "v";
}

void TestCorpIni::lookup()
{
    QFETCH(QString, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    const CorpIni ini = CorpIni::parse(sjis(file));
    QCOMPARE(ini.read_corp_value(section, key), value);
}

// 工 is 8D 48 and 紘 is 8D 68: comparing bytes without regard to case would
// take one for the other.
void TestCorpIni::kanjiDifferingInAsciiCaseBytesAreDifferent()
{
    const CorpIni ini = CorpIni::parse(sjis(QStringLiteral("[紘事名]\r\n名称=違う\r\n")));
    QCOMPARE(ini.read_corp_value(QStringLiteral("工事名"), QStringLiteral("名称")), QString());
    QCOMPARE(ini.read_corp_value(QStringLiteral("紘事名"), QStringLiteral("名称")),
        QStringLiteral("違う"));
}

void TestCorpIni::longValuesAreCutAtCharacterBoundary()
{
    const QString kanji(600, QChar(0x5DE5)); // 工, two bytes each
    const QString ascii(1100, QLatin1Char('a'));
    const CorpIni ini = CorpIni::parse(sjis(QStringLiteral("[s]\nk=%1\na=%2\n").arg(kanji, ascii)));
    QCOMPARE(ini.read_corp_value(QStringLiteral("s"), QStringLiteral("k")), kanji.left(511));
    QCOMPARE(ini.read_corp_value(QStringLiteral("s"), QStringLiteral("a")), ascii.left(1023));

    const CorpIni utf8 = CorpIni::parse(QStringLiteral("[s]\nk=%1\n").arg(kanji).toUtf8());
    QCOMPARE(utf8.read_corp_value(QStringLiteral("s"), QStringLiteral("k")), kanji.left(341));
}

// Written on Linux with an ordinary editor, the file is UTF-8.
void TestCorpIni::readsUtf8WithAndWithoutBom()
{
    const QByteArray text = QStringLiteral("[工事場所]\n所在=東京都千代田区\n").toUtf8();
    for (const QByteArray& bytes : { text, QByteArray("\xEF\xBB\xBF") + text }) {
        const CorpIni ini = CorpIni::parse(bytes);
        QVERIFY(ini.isUtf8());
        QCOMPARE(ini.read_corp_value(QStringLiteral("工事場所"), QStringLiteral("所在")),
            QStringLiteral("東京都千代田区"));
    }
}

void TestCorpIni::missingFileGivesEmptyValues()
{
    QTemporaryDir dir;
    const CorpIni ini = CorpIni::load(dir.filePath(QStringLiteral("corp.ini")));
    QCOMPARE(ini.read_corp_value(QStringLiteral("工事名"), QStringLiteral("名称")), QString());
    QCOMPARE(CorpIni::load(dir.path()).read_corp_value(QStringLiteral("s"), QStringLiteral("k")),
        QString());
}

void TestCorpIni::searchesBesideTheProgramFirst()
{
    const QStringList paths = CorpIni::searchPaths();
    QCOMPARE(paths.size(), 2);
    QCOMPARE(paths.at(0), QCoreApplication::applicationDirPath() + QStringLiteral("/corp.ini"));
    QVERIFY(paths.at(1).endsWith(QStringLiteral("/corp.ini")));
}

QTEST_GUILESS_MAIN(TestCorpIni)
#include "tst_corpini.moc"
