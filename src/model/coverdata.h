#pragma once

#include <QString>

#include <array>

namespace zk {

// The fourteen cover fields, numbered by their line in the document file.
enum class CoverField {
    FiscalYear = 1,
    ProjectNumber,
    ProjectName,
    ProjectSite,
    StartYear,
    StartMonth,
    StartDay,
    CompletionYear,
    CompletionMonth,
    CompletionDay,
    Contractor,
    SubmissionYear,
    SubmissionMonth,
    SubmissionDay,
};

// The cover page's data: free text, never validated or trimmed.
class CoverData
{
public:
    static constexpr int FieldCount = 14;

    const QString& field(CoverField f) const { return fields[index(f)]; }
    void setField(CoverField f, const QString& value) { fields[index(f)] = value; }

    // Line 1..14 of the cover block.
    const QString& line(int n) const { return fields.at(n - 1); }
    void setLine(int n, const QString& value) { fields.at(n - 1) = value; }

    // The field's name as the user knows it from the cover window.
    static QString fieldName(CoverField f);

    bool operator==(const CoverData&) const = default;

private:
    static int index(CoverField f) { return int(f) - 1; }
    std::array<QString, FieldCount> fields;
};

} // namespace zk
