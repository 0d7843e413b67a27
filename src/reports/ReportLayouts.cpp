#include "reports/ReportLayouts.h"

#include "reports/RpPhoneList.h"

const std::vector<ReportLayoutEntry> &ReportLayouts::all()
{
    static const std::vector<ReportLayoutEntry> table{
        {QStringLiteral("phone-list"), QStringLiteral("the phone list, one line per person"),
         &RpPhoneList::makeReport},
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
