// The main window's browsing: the letter group, the reset and the column sort.
#include "app/HomeGrid.h"
#include "store/SelectionStatements.h"

#include "platform/Guard.h"

#include <QAction>
#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>

void TfmHomeAddMain::enableBrowsing()
{
    // Runs when the selection changes, by a click or by a command; a click on
    // the button already selected changes nothing.
    connect(RadioGroup1Items, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            RadioGroup1Click(id);
    });
    connect(sqRetryBtn, &QPushButton::clicked, this, &TfmHomeAddMain::sqRetryBtnClick);
    connect(miClearFillter, &QAction::triggered, this, &TfmHomeAddMain::sqRetryBtnClick);
    connect(dbGrid1, &DBGrid::titleClicked, this, &TfmHomeAddMain::dbGrid1TitleClick);
    RadioGroup1->setEnabled(true);
    sqRetryBtn->setEnabled(true);
    miClearFillter->setEnabled(true);
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
        emit selectionReset();
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
