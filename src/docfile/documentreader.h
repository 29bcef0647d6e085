#pragma once

#include "model/document.h"

#include <QByteArrayView>
#include <QString>

namespace zk {

enum class ReadError {
    None,
    NotRegularFile,
    TooLarge,
    CannotOpen,
    TooShort, // fewer than the fourteen cover lines
    TruncatedEntry, // the file ends inside an entry's four lines
    TooManyEntries,
};

struct ReadResult
{
    Document document;
    ReadError error = ReadError::None;
    int line = 0; // the last line read, for TruncatedEntry
    QString message; // for the user, in Japanese; empty on success

    bool ok() const { return error == ReadError::None; }
};

// Reads a whole document file into a new document. On success the entries
// fill whole pages of three (a file that ends mid-page is padded with empty,
// numbered entries; one without entries gets one empty page).
ReadResult read_document(const QString& path);

// The same for the bytes of a file; the messages name no file.
ReadResult parse_document(QByteArrayView bytes);

// Files larger than this are refused before they are read.
constexpr qint64 MaxDocumentFileSize = 64 * 1024 * 1024;

} // namespace zk
