#pragma once

#include "model/phrasestore.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace zk {

// The user's phrase list, kept between runs as UTF-8 text with one phrase a
// line.
class PhraseFile
{
public:
    // Phrase files larger than this are not read: a phrase list is short.
    static constexpr qint64 MaxFileSize = 1024 * 1024;

    // The file's name, beside the user's settings.
    static constexpr const char* FileName = "phrases.txt";
    // $XDG_CONFIG_HOME/zelkora/phrases.txt (by default ~/.config/zelkora/).
    static QString default_file();

    // The user's list; a file that does not exist yet gives an empty list.
    static PhraseList load(const QString& file = default_file());
    // A text file to take phrases from: UTF-8 (with or without a byte-order
    // mark) or Shift-JIS.
    static PhraseList import_file(const QString& file);
    static PhraseList parse(QByteArrayView bytes);

    // Writes the list in one step; returns the reason on failure, else "".
    static QString save(const QStringList& phrases, const QString& file = default_file());
};

} // namespace zk
