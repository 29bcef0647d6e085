#include "qttexts.h"

#include <QLibraryInfo>
#include <QLocale>

namespace zk {

namespace {

struct Missing
{
    const char* context;
    const char* source;
    const char* japanese;
};

// Texts of the dialogs the program opens that Qt 6.4's Japanese catalogue
// (qt6-translations-l10n) does not have.
const Missing missing[] = {
    { "QAbstractFileIconProvider", "Folder", "フォルダ" },
    { "QAbstractFileIconProvider", "File", "ファイル" },
    { "QAbstractFileIconProvider", "Drive", "ドライブ" },
    { "QAbstractFileIconProvider", "Shortcut", "ショートカット" },
    { "QAbstractFileIconProvider", "Unknown", "不明" },
    { "QPrintSettingsOutput", "Pages", "ページ指定" },
};

} // namespace

QtTexts::QtTexts(QObject* parent) : QTranslator(parent) { }

bool QtTexts::load_catalogue()
{
    return catalogue.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

QString QtTexts::translate(
    const char* context, const char* sourceText, const char* disambiguation, int n) const
{
    const QString found = catalogue.translate(context, sourceText, disambiguation, n);
    if (!found.isEmpty() || !context || !sourceText)
        return found;
    // The platform notes Qt gives some of these ("All other platforms") do
    // not change the words.
    for (const Missing& m : missing) {
        if (qstrcmp(m.context, context) == 0 && qstrcmp(m.source, sourceText) == 0)
            return QString::fromUtf8(m.japanese);
    }
    return {};
}

} // namespace zk
