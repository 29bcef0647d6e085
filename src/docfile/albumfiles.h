#pragma once

#include "docfile/documentreader.h"
#include "docfile/documentwriter.h"
#include "docfile/infofile.h"

#include <QString>

namespace zk {

// An album file read with the information beside it.
struct AlbumRead
{
    ReadResult read; // the album, with the information matched to it
    InfoReadResult info; // what the information file told; never stops the album
};

// The album file and the information file beside it, as one: the window and
// zkrtool open and save albums through it. The information file is read or
// encoded on a second thread while the album file is, so that an album with
// information on all its entries opens and saves nearly as fast as one
// without.
class AlbumFiles
{
public:
    // Reads the album at path and the information beside it. A missing,
    // damaged or newer information file leaves the album as it was read.
    static AlbumRead read(const QString& path);

    // Writes the album, then the information beside it (InfoFile::write);
    // either failing fails, the information's failure with its own message.
    static WriteResult write(const QString& path, const Document& document);
};

} // namespace zk
