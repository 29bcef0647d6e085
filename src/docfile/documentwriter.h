#pragma once

#include "model/document.h"

#include <QByteArray>
#include <QString>

namespace zk {

enum class WriteError {
    None,
    Unencodable, // a character that code page 932 cannot hold
    LineBreak, // a line break where the format has no room for one
    CannotWrite,
};

struct EncodeResult
{
    QByteArray bytes;
    WriteError error = WriteError::None;
    QString message; // names the field and the character; empty on success

    bool ok() const { return error == WriteError::None; }
};

struct WriteResult
{
    WriteError error = WriteError::None;
    QString message;

    bool ok() const { return error == WriteError::None; }
};

// The bytes of the document file: fourteen cover lines, then four lines per
// entry, each ending with CR LF; CR LF inside a text becomes "<BR>".
// Refuses, rather than writing something else, any character the code page
// cannot hold and any line break that would split a line.
EncodeResult encode_document(const Document& document);

// Encodes the document, then replaces the file in one step: a refusal or a
// failed write leaves an existing file as it was.
WriteResult write_document(const QString& path, const Document& document);

} // namespace zk
