#include "coverdefaults.h"

#include "cover/corpini.h"

namespace zk {

CoverData cover_defaults(const QDate& today, const CorpIni& corp, Era era)
{
    const QString year = QString::number(era_year(today.year(), era));
    const QString month = QString::number(today.month());
    const QString day = QString::number(today.day());

    CoverData cover;
    cover.setField(CoverField::FiscalYear, year);
    cover.setField(CoverField::StartYear, year);
    cover.setField(CoverField::StartMonth, month);
    cover.setField(CoverField::CompletionYear, year);
    cover.setField(CoverField::CompletionMonth, month);
    cover.setField(CoverField::SubmissionYear, year);
    cover.setField(CoverField::SubmissionMonth, month);
    cover.setField(CoverField::SubmissionDay, day);

    cover.setField(CoverField::ProjectNumber,
        corp.read_corp_value(QStringLiteral("工事番号"), QStringLiteral("工第")));
    cover.setField(CoverField::ProjectName,
        corp.read_corp_value(QStringLiteral("工事名"), QStringLiteral("名称")));
    cover.setField(CoverField::ProjectSite,
        corp.read_corp_value(QStringLiteral("工事場所"), QStringLiteral("所在")));
    cover.setField(CoverField::Contractor,
        corp.read_corp_value(QStringLiteral("工事施工者"), QStringLiteral("会社名")));
    return cover;
}

} // namespace zk
