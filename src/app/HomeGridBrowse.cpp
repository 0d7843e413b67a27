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
    connect(m_letterGroup, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            selectLetter(id);
    });
    connect(m_resetButton, &QPushButton::clicked, this, &TfmHomeAddMain::resetSelection);
    connect(m_clearFilterAction, &QAction::triggered, this, &TfmHomeAddMain::resetSelection);
    connect(m_grid, &DBGrid::titleClicked, this, &TfmHomeAddMain::sortByColumn);
    m_letterGroupBox->setEnabled(true);
    m_resetButton->setEnabled(true);
    m_clearFilterAction->setEnabled(true);
}

void TfmHomeAddMain::selectLetter(int index)
{
    guarded(this, [this, index] {
        m_book->select(index < kLetterGroupAll ? SelectionStatements::letter(QChar('A' + index))
                                               : SelectionStatements::all());
    });
}

void TfmHomeAddMain::resetSelection()
{
    guarded(this, [this] {
        m_book->select(SelectionStatements::all());
        // Selecting "All" runs the letter group's own handler when it was not
        // selected already.
        m_letterGroup->button(kLetterGroupAll)->setChecked(true);
        emit selectionReset();
    });
}

void TfmHomeAddMain::sortByColumn(int column)
{
    guarded(this, [this, column] {
        GridModel *model = m_grid->gridModel();
        if (m_lastSortColumn >= 0)
            model->setBoldColumn(-1);
        model->setBoldColumn(column);
        m_lastSortColumn = column;
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
