#pragma once

#include <QString>

namespace zk {

// Copies one file byte for byte into a new file, in the kernel where it can
// (copy_file_range: a reflink on file systems that share blocks), else by
// reading and writing. The source is only ever opened for reading.
class FileCopy
{
public:
    // Returns "" on success, else why it failed; the target then may exist
    // in part and is the caller's to remove.
    static QString copy(const QString& from, const QString& to);
};

} // namespace zk
