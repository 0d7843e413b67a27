#pragma once

#include "exchange/BookRecord.h"

#include <QVector>
#include <functional>

class AdoConnection;

// What an import will do, worked out by reading the whole input once before
// anything is written: how many people come in, which values do not fit
// their fields, and what in the input could not be read. apply() reads the
// input a second time and writes it in one transaction.
class ImportPlan
{
public:
    explicit ImportPlan(RecordSource &source);

    // Reads the input through. `preview` records are kept for showing.
    void scan(int preview = 200);

    qint64 count() const { return m_count; }
    const QVector<BookRecord> &preview() const { return m_preview; }
    // Values longer than their field: the field got what fits, Notes the whole.
    const QVector<ImportNote> &cuts() const { return m_cuts; }
    qint64 cutCount() const { return m_cutCount; }
    const QVector<ImportNote> &problems() const { return m_source.problems; }
    bool writable() const { return problems().isEmpty() && m_count > 0; }

    // Writes every record, all or none. `progress` gets the records written
    // so far and returns false to stop, which leaves the book as it was.
    // Returns the records written; throws VarnelError on a refusal.
    qint64 apply(AdoConnection &book, const std::function<bool(qint64)> &progress = {});

    // Fits a record to the field lengths and puts its extra lines into Notes.
    // `cut` gets a readable line for each value that did not fit.
    static void fit(BookRecord &r, QStringList *cut);

private:
    RecordSource &m_source;
    qint64 m_count = 0;
    qint64 m_cutCount = 0;
    QVector<BookRecord> m_preview;
    QVector<ImportNote> m_cuts;
};
