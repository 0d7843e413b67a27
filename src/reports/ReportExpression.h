#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>

class ReportDataSet;

// The expressions a layout writes: field names (any letter case, optionally as
// DataSetName.Field or [Field Name]), single-quoted literals, whole numbers,
// '+' joining texts and COPY(text, start, count). Every value is text and
// holds at most kMaxTextLength characters.
class ReportExpression
{
public:
    static constexpr int kMaxTextLength = 255;

    ReportExpression();
    // Throws VarnelError when the text is not a valid expression.
    static ReportExpression parse(const QString &text);

    const QString &text() const { return m_text; }

    // Throws VarnelError for a field the data set does not have, or a data set
    // name in front of a field that is not the data set's.
    void checkFields(const ReportDataSet &dataSet) const;

    // The value in the data set's current row. With no row (nullptr) every
    // field is empty, so only the literal parts remain.
    QString evaluate(const ReportDataSet *row) const;

    struct Node;

private:
    QString m_text;
    std::shared_ptr<const Node> m_root;
};

// One line of an expression memo: its fixed text and the expressions taken out
// of it, each with the position it is merged back at.
class ReportMemoLine
{
public:
    // Every part from a '{' to the next '}' becomes an expression; a '{' with no
    // '}' after it is left as text. Throws VarnelError for a bad expression.
    static ReportMemoLine parse(const QString &line);

    QString merge(const ReportDataSet *row) const;
    void checkFields(const ReportDataSet &dataSet) const;

private:
    struct Part
    {
        int position;
        ReportExpression expression;
    };
    QString m_fixed;
    QVector<Part> m_parts;
};

// The merged lines of a memo; with removeBlankLines a line that merged to no
// character at all is left out (a line of one blank stays).
QStringList mergeMemoLines(const QVector<ReportMemoLine> &lines, bool removeBlankLines,
                           const ReportDataSet *row);
