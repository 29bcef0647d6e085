#include "phrasespage.h"

#include "ui/dialogs.h"
#include "docfile/phrasefile.h"
#include "model/phrasestore.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace zk {

PhrasesPage::PhrasesPage(Dialogs& messages, const QString& phraseFile, QWidget* parent)
    : QWidget(parent), dialogs(messages), file(phraseFile), phraseList(new QListWidget(this)),
      newPhrase(new QLineEdit(this))
{
    setObjectName(QStringLiteral("phrasesPage"));
    phraseList->setObjectName(QStringLiteral("phraseList"));
    newPhrase->setObjectName(QStringLiteral("newPhrase"));
    newPhrase->setPlaceholderText(QStringLiteral("新しい定型文"));

    const auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* add = button("phraseAdd", "追加");
    QPushButton* remove = button("phraseRemove", "削除");
    QPushButton* up = button("phraseUp", "上へ");
    QPushButton* down = button("phraseDown", "下へ");
    QPushButton* import = button("phraseImport", "読み込み...");

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(phraseList, 0, 0, 5, 1);
    layout->addWidget(remove, 0, 1);
    layout->addWidget(up, 1, 1);
    layout->addWidget(down, 2, 1);
    layout->addWidget(import, 3, 1, Qt::AlignTop);
    layout->addWidget(newPhrase, 5, 0);
    layout->addWidget(add, 5, 1);

    const PhraseList stored = PhraseFile::load(file);
    if (!stored.ok())
        dialogs.warn(parent, stored.message);
    addPhrases(stored.phrases);

    // Buttons
    connect(add, &QPushButton::clicked, this, &PhrasesPage::add_phrase);
    connect(newPhrase, &QLineEdit::returnPressed, this, &PhrasesPage::add_phrase);
    connect(remove, &QPushButton::clicked, this, &PhrasesPage::remove_phrase);
    connect(up, &QPushButton::clicked, this, [this] { move_phrase(-1); });
    connect(down, &QPushButton::clicked, this, [this] { move_phrase(1); });
    connect(import, &QPushButton::clicked, this, &PhrasesPage::import_phrases);
}

QStringList PhrasesPage::phrases() const
{
    QStringList out;
    for (int i = 0; i < phraseList->count(); ++i)
        out << phraseList->item(i)->text();
    return out;
}

void PhrasesPage::addPhrases(const QStringList& more)
{
    const QStringList all = PhraseStore::cleaned(phrases() + more);
    for (int i = phraseList->count(); i < all.size(); ++i) {
        auto* item = new QListWidgetItem(all.at(i), phraseList);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
}

void PhrasesPage::add_phrase()
{
    const QString phrase = PhraseStore::cleaned({ newPhrase->text() }).value(0);
    if (phrase.isEmpty())
        return;
    const QList<QListWidgetItem*> same = phraseList->findItems(phrase, Qt::MatchExactly);
    if (!same.isEmpty()) {
        phraseList->setCurrentItem(same.constFirst());
        newPhrase->clear();
        return;
    }
    addPhrases({ phrase });
    phraseList->setCurrentRow(phraseList->count() - 1);
    newPhrase->clear();
}

void PhrasesPage::remove_phrase()
{
    const int row = phraseList->currentRow();
    if (row >= 0)
        delete phraseList->takeItem(row);
}

void PhrasesPage::move_phrase(int delta)
{
    const int row = phraseList->currentRow();
    const int to = row + delta;
    if (row < 0 || to < 0 || to >= phraseList->count())
        return;
    QListWidgetItem* item = phraseList->takeItem(row);
    phraseList->insertItem(to, item);
    phraseList->setCurrentRow(to);
}

void PhrasesPage::import_phrases()
{
    FileRequest request;
    request.filter = QStringLiteral("テキスト ファイル (*.txt)|*.txt|すべてのファイル (*.*)|*.*");
    const QString path = dialogs.openFile(this, request);
    if (!path.isEmpty())
        import_from(path);
}

bool PhrasesPage::import_from(const QString& path)
{
    const PhraseList read = PhraseFile::import_file(path);
    if (!read.ok()) {
        dialogs.warn(this, read.message);
        return false;
    }
    addPhrases(read.phrases);
    return true;
}

bool PhrasesPage::apply()
{
    const QString error = PhraseFile::save(phrases(), file);
    if (!error.isEmpty()) {
        dialogs.warn(this, error);
        return false;
    }
    return true;
}

} // namespace zk
