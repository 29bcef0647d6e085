#include "coverdata.h"

namespace zk {

QString CoverData::fieldName(CoverField f)
{
    switch (f) {
    case CoverField::FiscalYear:
        return QStringLiteral("年度");
    case CoverField::ProjectNumber:
        return QStringLiteral("工事番号");
    case CoverField::ProjectName:
        return QStringLiteral("工事名");
    case CoverField::ProjectSite:
        return QStringLiteral("工事場所");
    case CoverField::StartYear:
        return QStringLiteral("着工 年");
    case CoverField::StartMonth:
        return QStringLiteral("着工 月");
    case CoverField::StartDay:
        return QStringLiteral("着工 日");
    case CoverField::CompletionYear:
        return QStringLiteral("竣工 年");
    case CoverField::CompletionMonth:
        return QStringLiteral("竣工 月");
    case CoverField::CompletionDay:
        return QStringLiteral("竣工 日");
    case CoverField::Contractor:
        return QStringLiteral("工事施工者");
    case CoverField::SubmissionYear:
        return QStringLiteral("提出 年");
    case CoverField::SubmissionMonth:
        return QStringLiteral("提出 月");
    case CoverField::SubmissionDay:
        return QStringLiteral("提出 日");
    }
    Q_UNREACHABLE();
}

} // namespace zk
