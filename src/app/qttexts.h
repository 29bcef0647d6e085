#pragma once

#include <QTranslator>

namespace zk {

// Qt's own dialogs (file, print) in Japanese: Qt's Japanese catalogue where
// it has the text, and our own words for the few texts it lacks (the file
// dialog's "Folder", the print dialog's "Pages").
class QtTexts : public QTranslator
{
    Q_OBJECT

public:
    explicit QtTexts(QObject* parent = nullptr);

    // Loads Qt's Japanese catalogue from Qt's translations folder; false when
    // it is not installed (our own words still apply).
    bool load_catalogue();

    QString translate(const char* context, const char* sourceText,
        const char* disambiguation = nullptr, int n = -1) const override;
    bool isEmpty() const override { return false; }

private:
    QTranslator catalogue;
};

} // namespace zk
