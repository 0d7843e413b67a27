#pragma once

#include "platform/VarnelError.h"
#include "reports/ReportDataSet.h"

#include <QStringList>
#include <QVariant>
#include <QVector>

// Rows in memory behind the report's data set interface. A null QVariant is a
// null field. It counts the calls a run should make, and can be closed.
class FakeDataSet : public ReportDataSet
{
public:
    FakeDataSet(QStringList fields, QVector<QVector<QVariant>> rows)
        : m_fields(std::move(fields)), m_rows(std::move(rows))
    {
    }

    // One text field per column of a row; handy for most tests.
    static FakeDataSet ofSurnames(const QStringList &surnames)
    {
        QVector<QVector<QVariant>> rows;
        for (const QString &s : surnames)
            rows.append({s});
        return FakeDataSet({QStringLiteral("Surname")}, rows);
    }

    bool active = true;
    int firstCalls = 0;
    int disableCalls = 0;
    int enableCalls = 0;
    int row() const { return m_row; }

    QString name() const override { return QStringLiteral("HomeQuery"); }
    bool isActive() const override { return active; }
    int recordCount() const override { return active ? int(m_rows.size()) : 0; }
    void first() override
    {
        ++firstCalls;
        m_row = 0;
        m_eof = m_rows.isEmpty();
    }
    void next() override
    {
        if (m_row + 1 < m_rows.size())
            ++m_row;
        else
            m_eof = true;
    }
    bool eof() const override { return m_eof; }
    bool hasField(const QString &field) const override { return column(field) >= 0; }
    QString displayText(const QString &field) const override
    {
        const int c = column(field);
        if (c < 0)
            throw VarnelError(QStringLiteral("HomeQuery: Field '%1' not found").arg(field));
        const QVariant v = m_rows.value(m_row).value(c);
        return v.isNull() ? QString() : v.toString();
    }
    void disableControls() override { ++disableCalls; }
    void enableControls() override { ++enableCalls; }

private:
    int column(const QString &field) const
    {
        for (int i = 0; i < m_fields.size(); ++i)
            if (m_fields[i].compare(field, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }

    QStringList m_fields;
    QVector<QVector<QVariant>> m_rows;
    int m_row = 0;
    bool m_eof = true;
};
