// The main window's part in the record card, the record form view and the
// County pick list.
#include "app/HomeGrid.h"

#include "browse/CountLook.h"
#include "browse/CountyListFile.h"
#include "entry/HomeFormView.h"
#include "entry/RecordCard.h"
#include "store/AddressFields.h"
#include "platform/Guard.h"
#include "platform/Platform.h"

#include <QAction>
#include <QPushButton>

namespace {

void bringUp(QWidget *w)
{
    if (w->isMinimized())
        w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
    w->show();
    w->raise();
    w->activateWindow();
}
} // namespace

void TfmHomeAddMain::wireEntryWindows()
{
    connect(btnRecCard, &QPushButton::clicked, this, &TfmHomeAddMain::btnRecCardClick);
    connect(dbGrid1, &DBGrid::recordDoubleClicked, this, &TfmHomeAddMain::btnRecCardClick);
    connect(btEditCounty, &QPushButton::clicked, this, &TfmHomeAddMain::btEditCountyClick);
    connect(miRecordForm, &QAction::triggered, this, &TfmHomeAddMain::btnShowFormClick);
    btnRecCard->setEnabled(true);
    btEditCounty->setEnabled(true);
    miRecordForm->setEnabled(true);
}

void TfmHomeAddMain::loadCountyPickList()
{
    // A missing list leaves the drop-down empty; the error box says why.
    const int county = dbGrid1->columnOf(AddressFields::County);
    dbGrid1->setPickList(county, {});
    QString problem;
    guarded(this, [&] { dbGrid1->setPickList(county, CountyListFile::read(CountyListFile::path(), &problem)); });
    if (!problem.isEmpty())
        Platform::showError(this, problem);
}

void TfmHomeAddMain::btnRecCardClick()
{
    if (fmRecCard)
        bringUp(fmRecCard);
}

void TfmHomeAddMain::btnShowFormClick()
{
    if (fmHomeForm)
        bringUp(fmHomeForm);
}

void TfmHomeAddMain::btEditCountyClick()
{
    if (!fmCountyListEdit)
        return;
    fmCountyListEdit->setEntries(dbGrid1->pickList(dbGrid1->columnOf(AddressFields::County)));
    fmCountyListEdit->exec();
}
