// Opens hostile but readable albums in the main window and pages through
// them: the longest time the window is busy with one step (opening, or one
// page forward) must stay under a second, or the window seems frozen.

#include "app/mainwindow.h"
#include "app/pagespinner.h"
#include "docfile/documentwriter.h"
#include "model/usersettings.h"
#include "scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace zk;

namespace {

struct Case
{
    const char* name;
    std::function<Document()> make;
};

Document oneEntry(const QString& title, const QString& text)
{
    Document d;
    d.entries.reset_table();
    d.entries.set_field(1, EntryField::Title, title);
    d.entries.set_field(1, EntryField::Text, text);
    return d;
}

// The longest step, in ms: opening the file, then each page forward.
double longestStep(const QString& path, int* pages)
{
    ScriptedDialogs dialogs;
    UserSettings settings;
    MainWindow window(dialogs, settings, [] { return CoverData(); });
    window.show();
    QApplication::processEvents();
    auto* open = window.findChild<QAction*>(QStringLiteral("file_open"));
    auto* pager = window.findChild<PageSpinner*>(QStringLiteral("UpDown1"));
    double longest = 0;
    QElapsedTimer t;
    dialogs.openAnswers << path;
    t.start();
    open->trigger();
    QApplication::processEvents();
    longest = t.nsecsElapsed() / 1e6;
    *pages = pager->maximum();
    for (int page = 1; page < *pages; ++page) {
        t.restart();
        QTest::keyClick(pager, Qt::Key_Up);
        QApplication::processEvents();
        longest = std::max(longest, t.nsecsElapsed() / 1e6);
    }
    return longest;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QList<Case> cases = {
        { "text: one line of 10 MB", [] { return oneEntry({}, QString(10 << 20, 'a')); } },
        { "text: 10 lines of 1,999 characters (shown whole)",
            [] {
                QStringList lines;
                for (int i = 0; i < 10; ++i)
                    lines << QString(1999, QChar(u'漢'));
                return oneEntry({}, lines.join(QLatin1String("\r\n")));
            } },
        { "title: 1 MB", [] { return oneEntry(QString(1 << 20, 'b'), {}); } },
        { "text: 200,000 short lines",
            [] {
                QStringList lines;
                for (int i = 0; i < 200000; ++i)
                    lines << QStringLiteral("line %1").arg(i);
                return oneEntry({}, lines.join(QLatin1String("\r\n")));
            } },
        { "300 pages of 30,000-character texts",
            [] {
                Document d;
                for (int i = 1; i <= 900; ++i)
                    d.entries.append_entry(number_text(i), QStringLiteral("t"),
                        QString(30000, QChar(u'あ' + i % 50)), {});
                return d;
            } },
    };
    bool met = true;
    for (const Case& c : cases) {
        const QString path = dir.filePath(QStringLiteral("album.zkr"));
        if (!write_document(path, c.make()).ok()) {
            std::fprintf(stderr, "bench_pageview: cannot write the album\n");
            return 1;
        }
        int pages = 0;
        const double ms = longestStep(path, &pages);
        std::printf("%-50s %5d pages, longest step %8.1f ms\n", c.name, pages, ms);
        met &= ms < 1000;
    }
    std::printf("target: every step under 1000 ms: %s\n", met ? "met" : "NOT met");
    return met ? 0 : 1;
}
