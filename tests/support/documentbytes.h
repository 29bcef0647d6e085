#pragma once

#include "docfile/documentwriter.h"
#include "model/album.h"

#include <QByteArray>

// An album as the bytes of its file, so that tests compare whole documents.
inline QByteArray bytesOf(const zk::Document& document)
{
    const zk::EncodeResult r = zk::encode_document(document);
    return r.ok() ? r.bytes : QByteArray("<unencodable>");
}

inline QByteArray bytesOf(const zk::Album& album)
{
    return bytesOf(album.document());
}
