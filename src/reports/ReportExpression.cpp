#include "reports/ReportExpression.h"

#include "platform/VarnelError.h"
#include "reports/ReportDataSet.h"

#include <QCoreApplication>

struct ReportExpression::Node
{
    enum Kind
    {
        Literal,
        Field,
        Concat,
        Copy
    } kind = Literal;
    QString text;      // Literal: its value; Field: its name
    QString qualifier; // Field: the data set name written in front, if any
    std::vector<std::shared_ptr<const Node>> args;
};

namespace {

using NodePtr = std::shared_ptr<const ReportExpression::Node>;
using Node = ReportExpression::Node;

QString capped(QString s)
{
    if (s.size() > ReportExpression::kMaxTextLength)
        s.truncate(ReportExpression::kMaxTextLength);
    return s;
}

class Parser
{
public:
    explicit Parser(const QString &text) : m_text(text) {}

    NodePtr parseAll()
    {
        skipBlanks();
        if (atEnd())
            fail(QCoreApplication::translate("ReportExpression", "empty expression"));
        NodePtr n = parseSum();
        skipBlanks();
        if (!atEnd())
            fail(QCoreApplication::translate("ReportExpression", "unexpected '%1'")
                     .arg(m_text.at(m_pos)));
        return n;
    }

private:
    [[noreturn]] void fail(const QString &why) const
    {
        throw VarnelError(
            QCoreApplication::translate("ReportExpression", "Invalid expression \"%1\": %2")
                .arg(m_text, why));
    }

    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_text.at(m_pos); }
    void skipBlanks()
    {
        while (!atEnd() && m_text.at(m_pos).isSpace())
            ++m_pos;
    }
    bool accept(QChar c)
    {
        skipBlanks();
        if (peek() == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    void expect(QChar c)
    {
        if (!accept(c))
            fail(atEnd()
                     ? QCoreApplication::translate("ReportExpression", "'%1' expected").arg(c)
                     : QCoreApplication::translate("ReportExpression", "'%1' expected before '%2'")
                           .arg(c, peek()));
    }
    static bool isNameStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
    static bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

    QString readName()
    {
        const int start = m_pos;
        while (!atEnd() && isNameChar(m_text.at(m_pos)))
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }

    QString readBracketed()
    {
        const int close = m_text.indexOf(QLatin1Char(']'), m_pos + 1);
        if (close < 0)
            fail(QCoreApplication::translate("ReportExpression", "']' expected"));
        const QString name = m_text.mid(m_pos + 1, close - m_pos - 1).trimmed();
        if (name.isEmpty())
            fail(QCoreApplication::translate("ReportExpression", "empty field name"));
        m_pos = close + 1;
        return name;
    }

    NodePtr parseSum()
    {
        NodePtr left = parseOperand();
        while (accept(QLatin1Char('+'))) {
            auto n = std::make_shared<Node>();
            n->kind = Node::Concat;
            n->args = {left, parseOperand()};
            left = n;
        }
        return left;
    }

    NodePtr parseOperand()
    {
        skipBlanks();
        if (atEnd())
            fail(QCoreApplication::translate("ReportExpression", "operand expected"));
        const QChar c = peek();
        auto n = std::make_shared<Node>();
        if (c == QLatin1Char('\'')) {
            const int close = m_text.indexOf(QLatin1Char('\''), m_pos + 1);
            if (close < 0)
                fail(QCoreApplication::translate("ReportExpression", "unterminated string"));
            n->kind = Node::Literal;
            n->text = m_text.mid(m_pos + 1, close - m_pos - 1);
            m_pos = close + 1;
            return n;
        }
        if (c.isDigit()) {
            const int start = m_pos;
            while (!atEnd() && m_text.at(m_pos).isDigit())
                ++m_pos;
            n->kind = Node::Literal;
            n->text = m_text.mid(start, m_pos - start);
            return n;
        }
        if (c == QLatin1Char('(')) {
            ++m_pos;
            NodePtr inner = parseSum();
            expect(QLatin1Char(')'));
            return inner;
        }
        if (c == QLatin1Char('[')) {
            n->kind = Node::Field;
            n->text = readBracketed();
            return n;
        }
        if (!isNameStart(c))
            fail(QCoreApplication::translate("ReportExpression", "unexpected '%1'").arg(c));
        const QString name = readName();
        skipBlanks();
        if (peek() == QLatin1Char('(')) {
            if (name.compare(QLatin1String("COPY"), Qt::CaseInsensitive) != 0)
                fail(QCoreApplication::translate("ReportExpression", "unknown function '%1'")
                         .arg(name));
            ++m_pos;
            n->kind = Node::Copy;
            n->args.push_back(parseSum());
            expect(QLatin1Char(','));
            n->args.push_back(parseSum());
            expect(QLatin1Char(','));
            n->args.push_back(parseSum());
            expect(QLatin1Char(')'));
            return n;
        }
        n->kind = Node::Field;
        if (peek() == QLatin1Char('.')) {
            ++m_pos;
            skipBlanks();
            n->qualifier = name;
            if (peek() == QLatin1Char('['))
                n->text = readBracketed();
            else if (isNameStart(peek()))
                n->text = readName();
            else
                fail(QCoreApplication::translate("ReportExpression",
                                                 "field name expected after '%1.'")
                         .arg(name));
        } else {
            n->text = name;
        }
        return n;
    }

    QString m_text;
    int m_pos = 0;
};

int toInteger(const QString &value)
{
    bool ok = false;
    const int n = value.trimmed().toInt(&ok);
    if (!ok)
        throw VarnelError(
            QCoreApplication::translate("ReportExpression", "'%1' is not a valid integer value")
                .arg(value));
    return n;
}

QString evaluateNode(const Node &n, const ReportDataSet *row)
{
    switch (n.kind) {
    case Node::Literal:
        return capped(n.text);
    case Node::Field:
        return row ? capped(row->displayText(n.text)) : QString();
    case Node::Concat:
        return capped(evaluateNode(*n.args[0], row) + evaluateNode(*n.args[1], row));
    case Node::Copy: {
        const QString text = evaluateNode(*n.args[0], row);
        const int start = std::max(1, toInteger(evaluateNode(*n.args[1], row)));
        const int count = toInteger(evaluateNode(*n.args[2], row));
        if (count <= 0 || start > text.size())
            return QString();
        return text.mid(start - 1, count);
    }
    }
    return QString();
}

void checkNode(const Node &n, const ReportDataSet &dataSet)
{
    if (n.kind == Node::Field) {
        if (!n.qualifier.isEmpty() && n.qualifier.compare(dataSet.name(), Qt::CaseInsensitive) != 0)
            throw VarnelError(
                QCoreApplication::translate("ReportExpression", "Unknown data set '%1'")
                    .arg(n.qualifier));
        if (!dataSet.hasField(n.text))
            throw VarnelError(
                QCoreApplication::translate("ReportExpression", "%1: Field '%2' not found")
                    .arg(dataSet.name(), n.text));
    }
    for (const NodePtr &a : n.args)
        checkNode(*a, dataSet);
}

} // namespace

ReportExpression::ReportExpression() : m_root(std::make_shared<Node>()) {}

ReportExpression ReportExpression::parse(const QString &text)
{
    ReportExpression e;
    e.m_text = text;
    e.m_root = Parser(text).parseAll();
    return e;
}

void ReportExpression::checkFields(const ReportDataSet &dataSet) const
{
    checkNode(*m_root, dataSet);
}

QString ReportExpression::evaluate(const ReportDataSet *row) const
{
    return evaluateNode(*m_root, row);
}

ReportMemoLine ReportMemoLine::parse(const QString &line)
{
    ReportMemoLine m;
    int pos = 0;
    while (pos < line.size()) {
        const int open = line.indexOf(QLatin1Char('{'), pos);
        const int close = open < 0 ? -1 : line.indexOf(QLatin1Char('}'), open + 1);
        if (close < 0) {
            m.m_fixed += line.mid(pos);
            break;
        }
        m.m_fixed += line.mid(pos, open - pos);
        m.m_parts.append(
            {int(m.m_fixed.size()), ReportExpression::parse(line.mid(open + 1, close - open - 1))});
        pos = close + 1;
    }
    return m;
}

QString ReportMemoLine::merge(const ReportDataSet *row) const
{
    // From the last expression to the first, so that the positions of the
    // earlier ones still point into the fixed text.
    QString s = m_fixed;
    for (int i = m_parts.size() - 1; i >= 0; --i)
        s.insert(m_parts[i].position, m_parts[i].expression.evaluate(row));
    return s;
}

void ReportMemoLine::checkFields(const ReportDataSet &dataSet) const
{
    for (const Part &p : m_parts)
        p.expression.checkFields(dataSet);
}

QStringList mergeMemoLines(const QVector<ReportMemoLine> &lines, bool removeBlankLines,
                           const ReportDataSet *row)
{
    QStringList out;
    for (const ReportMemoLine &l : lines) {
        const QString merged = l.merge(row);
        if (removeBlankLines && merged.isEmpty())
            continue;
        out << merged;
    }
    return out;
}
