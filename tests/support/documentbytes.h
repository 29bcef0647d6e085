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

// Every entry's information as one text ("3 工種=A; 撮影箇所=x"), a line per
// entry that has any, so that tests compare what the album file leaves out.
inline QString infosOf(const zk::Document& document)
{
    QStringList lines;
    for (int p = 1; p <= document.entries.entry_count(); ++p) {
        const zk::PhotoInfo& info = document.entries.entry(p).info;
        QStringList items;
        for (int i = 0; i < zk::InfoItemCount; ++i) {
            const auto item = zk::InfoItem(i);
            if (info.has(item))
                items.append(zk::info_item_name(item) + u'=' + info.text(item));
        }
        for (const zk::ReferenceDrawing& d : info.drawings)
            items.append(d.title);
        if (!items.isEmpty())
            lines.append(QString::number(p) + u' ' + items.join(QLatin1String("; ")));
    }
    return lines.join(u'\n');
}

// The album file's bytes with the information beside it.
inline QByteArray stateOf(const zk::Album& album)
{
    return bytesOf(album) + infosOf(album.document()).toUtf8();
}
