#include "reports/ReportLayouts.h"

#include "mailmerge/MailMergeRp.h"
#include "reports/RpPhoneList.h"

namespace {

std::unique_ptr<TReport> makeLetters(ReportDataSet *data, QTextDocument *body)
{
    auto report = std::make_unique<TReport>();
    TfmMailRp::buildLayout(report.get(), data, body);
    return report;
}

} // namespace

const std::vector<ReportLayoutEntry> &ReportLayouts::all()
{
    static const std::vector<ReportLayoutEntry> table{
        {QStringLiteral("phone-list"), QStringLiteral("the phone list, one line per person"),
         &RpPhoneList::makeReport},
        {QStringLiteral("letters"),
         QStringLiteral("the mail merge: one letter per person, the body from --body"), nullptr,
         &makeLetters},
    };
    return table;
}

const ReportLayoutEntry *ReportLayouts::find(const QString &name)
{
    for (const ReportLayoutEntry &e : all())
        if (e.name == name)
            return &e;
    return nullptr;
}
