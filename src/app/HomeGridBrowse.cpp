// The main window's browsing: the letter group, the reset, the column sort
// and the way into the search dialog.

#include "app/HomeGrid.h"
#include "store/SelectionStatements.h"

#include "browse/JSQLSEARCH.h"
#include "platform/Guard.h"

#include <QAction>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

void TfmHomeAddMain::wireBrowsing()
{
    // Runs when the selection changes, by a click or by a command; a click on
    // the button already selected changes nothing.
    connect(RadioGroup1Items, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            RadioGroup1Click(id);
    });
    connect(sqRetryBtn, &QPushButton::clicked, this, &TfmHomeAddMain::sqRetryBtnClick);
    connect(miClearFillter, &QAction::triggered, this, &TfmHomeAddMain::sqRetryBtnClick);
    connect(HomeSearch, &QPushButton::clicked, this, &TfmHomeAddMain::HomeSearchClick);
    connect(miOpenSearch, &QAction::triggered, this, &TfmHomeAddMain::HomeSearchClick);
    connect(dbGrid1, &DBGrid::titleClicked, this, &TfmHomeAddMain::dbGrid1TitleClick);
    for (QWidget *w : {static_cast<QWidget *>(RadioGroup1), static_cast<QWidget *>(HomeSearch),
                       static_cast<QWidget *>(sqRetryBtn)})
        w->setEnabled(true);
    for (QAction *a : {miOpenSearch, miClearFillter})
        a->setEnabled(true);
}

void TfmHomeAddMain::RadioGroup1Click(int index)
{
    guarded(this, [this, index] {
        m_book->select(index < kLetterGroupAll ? SelectionStatements::letter(QChar('A' + index))
                                               : SelectionStatements::all());
    });
}

void TfmHomeAddMain::sqRetryBtnClick()
{
    guarded(this, [this] {
        m_book->select(SelectionStatements::all());
        // Selecting "All" runs the letter group's own handler when it was not
        // selected already.
        RadioGroup1Items->button(kLetterGroupAll)->setChecked(true);
        fmSQLSearchDialog->sqEditBox->clear();
    });
}

void TfmHomeAddMain::dbGrid1TitleClick(int column)
{
    guarded(this, [this, column] {
        GridModel *model = dbGrid1->gridModel();
        if (LastSortColumn >= 0)
            model->setBoldColumn(-1);
        model->setBoldColumn(column);
        LastSortColumn = column;
        const QString field = AddressFields::all().at(model->columns().at(column).field).name;
        const QString sort = query()->sort();
        // Ascending first, then each further click on the same column turns
        // the order round.
        if (sort.startsWith(field + QLatin1Char(' ')) && !sort.contains(QLatin1String(" DESC")))
            query()->setSort(field + QStringLiteral(" DESC"));
        else
            query()->setSort(field + QStringLiteral(" ASC"));
    });
}

void TfmHomeAddMain::HomeSearchClick()
{
    guarded(this, [] { fmSQLSearchDialog->exec(); });
}
