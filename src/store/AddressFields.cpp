#include "store/AddressFields.h"

#include <QStringList>

const QVector<FieldDef> &AddressFields::all()
{
    static const QVector<FieldDef> fields = {
        {"Surname", "HomeQuerySurname", FieldDef::Text, 30, 16},
        {"Midname", "HomeQueryMidname", FieldDef::Text, 20, 20},
        {"Firstname", "HomeQueryFirstname", FieldDef::Text, 20, 24},
        {"Address1", "HomeQueryAddress1", FieldDef::Text, 25, 30},
        {"Address2", "HomeQueryAddress2", FieldDef::Text, 25, 30},
        {"A3_Village", "HomeQueryA3_Village", FieldDef::Text, 20, 24},
        {"Town", "HomeQueryTown", FieldDef::Text, 20, 24},
        {"County", "HomeQueryCounty", FieldDef::Text, 20, 24},
        {"PostCode", "HomeQueryPostCode", FieldDef::Text, 10, 12},
        {"Country", "HomeQueryCountry", FieldDef::Text, 29, 35},
        {"Tel", "HomeQueryTel", FieldDef::Text, 15, 18},
        {"Cell", "HomeQueryCell", FieldDef::Text, 15, 15},
        {"Email", "HomeQueryEmail", FieldDef::Text, 50, 50},
        {"Birthday", "HomeQueryBirthday", FieldDef::DateTime, 0, 18},
        {"Notes", "HomeQueryNotes", FieldDef::Memo, 0, 10},
        {"Workplace", "HomeQueryWorkplace", FieldDef::Text, 30, 30},
        {"Work Tel", "HomeQueryWorkTel", FieldDef::Text, 15, 15},
        {"Flag", "HomeQueryFlag", FieldDef::Text, 6, 6},
        {"Flag2", "HomeQueryFlag2", FieldDef::Text, 6, 6},
        {"Cap", "HomeQueryCap", FieldDef::Calculated, 20, 20},
    };
    return fields;
}

const QVector<FieldDef> &AddressFields::stored()
{
    static const QVector<FieldDef> fields = all().mid(0, StoredCount);
    return fields;
}

QStringList AddressFields::storedNames()
{
    QStringList names;
    for (const FieldDef &f : stored())
        names << f.name;
    return names;
}

int AddressFields::indexOf(const QString &name)
{
    const QVector<FieldDef> &f = all();
    for (int i = 0; i < f.size(); ++i)
        if (f.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}
