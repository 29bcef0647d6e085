// Zelkora: assembles and prints a construction photo album.

#include "app/autosaver.h"
#include "app/mainwindow.h"
#include "app/pageview.h"
#include "app/qtdialogs.h"
#include "app/qttexts.h"
#include "app/unattendeddialogs.h"
#include "cover/corpini.h"
#include "cover/coverdefaults.h"
#include "app/filecommands.h"
#include "docfile/recoveryfile.h"
#include "model/usersettings.h"
#include "print/fontsubstitutes.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDate>
#include <QScreen>
#include <QTimer>

namespace {

void describeCommandLine(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral("工事写真帳を作り、印刷します."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE.zkr"),
        QStringLiteral("起動時に開く写真帳ファイル."), QStringLiteral("[FILE.zkr]"));
}

// --help and --version answer on the terminal, as desktop programs do. They
// are looked for before the window's QApplication exists, which would stop
// at once on a machine without a display.
void answerOnTerminal(int& argc, char* argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.parse(args); // unknown options are left to the second pass
    if (!parser.isSet(QStringLiteral("help")) && !parser.isSet(QStringLiteral("version")))
        return;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelkora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZELKORA_VERSION));
    parser.process(app); // prints the answer and ends the program
}

} // namespace

int main(int argc, char* argv[])
{
    answerOnTerminal(argc, argv);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelkora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZELKORA_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("zelkora"));
    zk::install_font_substitutes();

    // The program speaks Japanese, and so do Qt's own dialogs (file, print),
    // also where Qt's catalogue lacks a text or is not installed.
    zk::QtTexts qtTexts;
    qtTexts.load_catalogue();
    QCoreApplication::installTranslator(&qtTexts);

    // QApplication has taken its own options (-style, -platform) out by now;
    // anything else unknown ends the program with a line on the terminal.
    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.process(app);

    zk::QtDialogs dialogs;
    // The user's settings, read once here; every window reads this one copy.
    zk::UserSettings settings;
    zk::MainWindow window(dialogs, settings, [&settings] {
        // corp.ini is read anew for every new album, so edits reach the next one.
        // The user's era decides the default years.
        return zk::cover_defaults(
            QDate::currentDate(), zk::CorpIni::find(), settings.preferences().era);
    });

    // Page 1's photos are decoded once the cover window shows, in the
    // background, not before it: nobody sees them until the cover is closed.
    window.pageView().setPhotosDeferred(true);

    // Test hooks, for tests that run the program as a child process:
    // ZELKORA_TEST_ANSWERS ("yes,no") answers the start-up questions on
    // standard output instead of in message boxes; ZELKORA_AUTOSAVE_MS
    // shortens the wait before the recovery copy is written.
    const QString scripted = qEnvironmentVariable("ZELKORA_TEST_ANSWERS");
    zk::UnattendedDialogs unattended(scripted.split(u',', Qt::SkipEmptyParts));
    zk::Dialogs& startUpDialogs = scripted.isEmpty() ? static_cast<zk::Dialogs&>(dialogs)
                                                     : static_cast<zk::Dialogs&>(unattended);
    bool delayOk = false;
    const int delay = qEnvironmentVariableIntValue("ZELKORA_AUTOSAVE_MS", &delayOk);

    // Centred before anything is asked: the start-up questions and the
    // cover window stand over the middle of the (still hidden) window.
    window.adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window.move(area.center() - window.rect().center());
    }

    // Unsaved work is copied to a recovery file; what a crashed program left
    // is offered back before the cover window.
    zk::RecoveryFile recovery(zk::RecoveryFile::defaultDirectory());
    zk::AutoSaver autosaver(
        window.album(), recovery, delayOk && delay > 0 ? delay : zk::AutoSaver::DefaultDelay);
    QString recoveryError;
    const bool recovering = recovery.claim(&recoveryError);
    if (!recovering)
        dialogs.warn(&window, zk::message_lines({ recoveryError, QStringLiteral("自動保存はしません.") }));
    const bool restored = recovering && autosaver.offer_recovery(startUpDialogs, &window);
    QObject::connect(&autosaver, &zk::AutoSaver::failed, &window,
        [&window, &dialogs](const QString& message) { dialogs.warn(&window, message); });
    // The quit sequence ran to its end: what was unsaved was given up.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &autosaver, &zk::AutoSaver::discard);

    // An album given on the command line (the file manager's "open with")
    // is opened before the cover window shows, so that it shows its cover.
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty() && !restored)
        window.fileCommands().open_document(files.at(0));
    // Once the cover window shows, the opened album's page 1 is decoded in
    // the background.
    QTimer::singleShot(0, &window, [&window] { window.prefetch_current_page(); });
    window.show_cover_modal();
    window.pageView().setPhotosDeferred(false);

    window.show();
    return app.exec();
}
