#include "deliverytool.h"

#include "delivery/deliverycheck.h"
#include "delivery/deliverydtd.h"
#include "delivery/deliveryexport.h"
#include "delivery/deliveryplan.h"
#include "docfile/documentreader.h"
#include "model/preferences.h"

#include <QDate>

#include <cstdio>

namespace zk {

namespace {

void writeLine(FILE* to, const QString& line)
{
    std::fprintf(to, "%s\n", line.toUtf8().constData());
}

int usage(const char* what)
{
    std::fprintf(stderr, "zkrtool: %s\n(zkrtool --help explains each command)\n", what);
    return 2;
}

} // namespace

int DeliveryTool::delivery(const QStringList& args)
{
    QStringList files;
    DeliveryOptions options;
    Era era = Era::Heisei;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--standard")) {
            if (++i == args.size() || args.at(i).isEmpty())
                return usage("--standard needs a code such as 土木202303-01");
            options.standard = args.at(i);
        } else if (args.at(i) == QLatin1String("--reiwa")) {
            era = Era::Reiwa;
        } else if (args.at(i).startsWith(QLatin1String("--"))) {
            return usage("delivery knows only --standard CODE and --reiwa");
        } else {
            files.append(args.at(i));
        }
    }
    if (files.size() != 2)
        return usage("delivery takes an album file and an output folder");

    const ReadResult read = read_document(files.at(0));
    if (!read.ok()) {
        writeLine(stderr, QStringLiteral("zkrtool: %1").arg(read.message));
        return 1;
    }
    DeliveryPlan::cover_period(read.document.cover, era, &options.periodStart, &options.periodEnd);
    const DeliveryPlanResult plan = DeliveryPlan::make(DeliveryPlan::sources(read.document), options);
    QList<DeliveryProblem> refusals = plan.problems;
    const QString target = DeliveryExport::target_problem(files.at(1));
    if (!target.isEmpty())
        refusals.append({ 0, target });
    for (const DeliveryProblem& p : std::as_const(refusals))
        writeLine(stdout, p.toString());
    if (!refusals.isEmpty()) {
        writeLine(stderr, QStringLiteral("zkrtool: 問題が %1 件あるため、電子納品データを作りませんでした").arg(refusals.size()));
        return 1;
    }
    const DeliveryExport::Result result = DeliveryExport::run(plan.data, files.at(1), DeliveryDtd::installed());
    if (!result.ok()) {
        writeLine(stderr, QStringLiteral("zkrtool: %1").arg(result.error));
        return 1;
    }
    for (const DeliveryProblem& p : plan.warnings)
        writeLine(stdout, p.toString());
    return 0;
}

int DeliveryTool::delivery_check(const QStringList& args)
{
    QStringList folders;
    DeliveryCheckOptions options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--period")) {
            const QStringList ends = i + 1 < args.size() ? args.at(++i).split(QLatin1Char(':')) : QStringList();
            if (ends.size() == 2) {
                options.periodStart = QDate::fromString(ends.at(0), QStringLiteral("yyyy-MM-dd"));
                options.periodEnd = QDate::fromString(ends.at(1), QStringLiteral("yyyy-MM-dd"));
            }
            if (!options.periodStart.isValid() || !options.periodEnd.isValid()
                || options.periodEnd < options.periodStart)
                return usage("--period needs two dates written YYYY-MM-DD:YYYY-MM-DD, the first not after the second");
        } else if (args.at(i).startsWith(QLatin1String("--"))) {
            return usage("delivery-check knows only --period YYYY-MM-DD:YYYY-MM-DD");
        } else {
            folders.append(args.at(i));
        }
    }
    if (folders.size() != 1)
        return usage("delivery-check takes one folder");
    const QList<DeliveryFinding> findings = DeliveryCheck::run(folders.at(0), options);
    QByteArray out;
    for (const DeliveryFinding& f : findings)
        out += f.toString().toUtf8() + '\n';
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    return DeliveryCheck::has_error(findings) ? 1 : 0;
}

} // namespace zk
