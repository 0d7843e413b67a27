#include "store/SelectionStatements.h"

#include "platform/VarnelError.h"

#include <QCoreApplication>

QStringList SelectionStatements::all()
{
    return {QStringLiteral("SELECT * FROM HomeAd"), QStringLiteral("Order by Surname")};
}

QStringList SelectionStatements::allOnOpening()
{
    return {QStringLiteral("SELECT * FROM HomeAd"), QStringLiteral("ORDER BY Surname")};
}

QStringList SelectionStatements::allOnRetry()
{
    return {QStringLiteral("SELECT * FROM HomeAd"), QStringLiteral("ORDER by Surname")};
}

QStringList SelectionStatements::letter(QChar letter)
{
    const QChar capital = letter.toUpper();
    if (capital < QLatin1Char('A') || capital > QLatin1Char('Z'))
        throw VarnelError(
            QCoreApplication::translate("SelectionStatements", "'%1' is not a letter from A to Z")
                .arg(letter));
    return {QStringLiteral("SELECT * FROM HomeAd WHERE Surname LIKE '%1%'").arg(capital),
            QStringLiteral("Order by Surname")};
}

QStringList SelectionStatements::search(const QString &fieldName, const QString &word, bool exclude)
{
    const QString pattern = QLatin1Char('%') + word + QLatin1Char('%');
    return {QStringLiteral("SELECT * from HomeAd"), QStringLiteral("WHERE"), fieldName,
            exclude ? QStringLiteral("NOT LIKE") : QStringLiteral("LIKE"),
            QLatin1Char('"') + pattern + QLatin1Char('"')};
}
