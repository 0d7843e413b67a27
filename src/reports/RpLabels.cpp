#include "reports/RpLabels.h"

#include "app/HomeGrid.h"
#include "platform/Guard.h"
#include "reports/LabelSheet.h"

#include <QAction>

TfmLabels *fmLabels = nullptr;

TfmLabels::TfmLabels(ReportDataSet *data, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fmLabels"));
    RpLabel = new TReport(this);
    RpExprMemo1 = LabelSheet::perSheet21().buildLayout(*RpLabel);
    RpLabel->setDataSet(data);
    fmLabels = this;

    if (fmHomeAddMain) {
        TfmHomeAddMain *main = fmHomeAddMain;
        connect(main->miLabel21, &QAction::triggered, main,
                [main] { guarded(main, [main] { main->miLabels21Click(); }); });
        connect(main->Setfont1, &QAction::triggered, main,
                [main] { guarded(main, [main] { main->Setfont1Click(); }); });
        main->miLabel21->setEnabled(true);
        main->Setfont1->setEnabled(true);
    }
}

TfmLabels::~TfmLabels()
{
    if (fmLabels == this)
        fmLabels = nullptr;
}
