#include "reports/ReportLayouts.h"

#include "reports/LabelSheet.h"
#include "reports/ReportControls.h"
#include "reports/RpA5Diary.h"
#include "reports/RpFilo2.h"
#include "mailmerge/MailMergeRp.h"
#include "reports/RpPhoneList.h"

namespace {

ReportLayoutEntry labels(const char *name, const char *description, const LabelSheet &sheet)
{
    return {QString::fromLatin1(name), QString::fromLatin1(description),
            [&sheet](ReportDataSet *data) { return LabelLayouts::make(sheet, data); },
            [](TReport &report, const FontValue &font) {
                if (TRpExprMemo *memo = LabelLayouts::addressMemo(report))
                    memo->setFont(font);
            }};
}

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
        {QStringLiteral("phone-list"),
         QStringLiteral(QT_TRANSLATE_NOOP("ReportLayouts", "the phone list, one line per person")),
         &RpPhoneList::makeReport},
        labels("labels-21",
               QT_TRANSLATE_NOOP("ReportLayouts", "address labels, 21 per A4 sheet (Avery L7160)"),
               LabelSheet::perSheet21()),
        labels("labels-16",
               QT_TRANSLATE_NOOP("ReportLayouts", "address labels, 16 per A4 sheet (Avery L7162)"),
               LabelSheet::perSheet16()),
        labels("labels-14", QT_TRANSLATE_NOOP("ReportLayouts", "address labels, 14 per A4 sheet"),
               LabelSheet::perSheet14()),
        {QStringLiteral("filofax"),
         QStringLiteral(
             QT_TRANSLATE_NOOP("ReportLayouts", "Filofax pages, 10 entries per A4 sheet")),
         &RpFilo2::makeReport},
        {QStringLiteral("a5-diary"),
         QStringLiteral(QT_TRANSLATE_NOOP("ReportLayouts",
                                          "A5 diary pages, 16 entries per A4 landscape sheet")),
         &A5DiaryLayout::makeReport},
        {QStringLiteral("letters"),
         QStringLiteral(QT_TRANSLATE_NOOP(
             "ReportLayouts", "the mail merge: one letter per person, the body from --body")),
         nullptr,
         {},
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
