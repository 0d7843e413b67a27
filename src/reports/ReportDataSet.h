#pragma once

#include <QString>

// What a report run needs of the data it prints. The main query implements it;
// tests use an in-memory fake.
//
// The cursor follows the usual dataset rules: next() on the last row sets eof()
// and stays on that row, so after a run the current row is the last one.
class ReportDataSet
{
public:
    virtual ~ReportDataSet() = default;

    // The name expressions may put in front of a field ("HomeQuery.Surname").
    virtual QString name() const = 0;

    // A closed data set has no rows and no fields; a run prints as for an empty one.
    virtual bool isActive() const = 0;
    virtual int recordCount() const = 0;

    // Goes to the first row; a record being edited or inserted is finished first
    // (that is the data set's business).
    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool eof() const = 0;

    // Field names match whatever their letter case.
    virtual bool hasField(const QString &fieldName) const = 0;
    // The field's display text in the current row; empty when null. Throws
    // VarnelError for a field the data set does not have.
    virtual QString displayText(const QString &fieldName) const = 0;

    // Bracket a run so that views bound to the data set do not follow every row.
    virtual void disableControls() = 0;
    virtual void enableControls() = 0;
};
