#pragma once

#include "delivery/deliverydata.h"

#include <QString>

#include <functional>

namespace zk {

// Writes OUTDIR/PHOTO from planned data, all or nothing: everything goes into
// a hidden folder beside it, is synced to disk and renamed into place at the
// end. A failure, a full disk or a stop leaves no PHOTO folder behind.
class DeliveryExport
{
public:
    // Called after each file with the bytes done and the bytes in all;
    // returning false stops the export.
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    struct Result
    {
        bool cancelled = false;
        QString error; // why nothing was written; empty on success
        QString folder; // OUTDIR/PHOTO once written

        bool ok() const { return error.isEmpty() && !cancelled; }
    };

    // Why OUTDIR/PHOTO cannot be written, or "" (it is missing or empty).
    static QString target_problem(const QString& outDir);

    // dtdPath: the DTD delivered beside PHOTO.XML; the contractor's remark
    // takes the element name that it declares.
    static Result run(const DeliveryData& data, const QString& outDir, const QString& dtdPath,
        const Progress& progress = Progress());
};

} // namespace zk
