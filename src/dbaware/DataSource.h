#pragma once

#include "store/AdoQuery.h"

#include <QObject>

// Links data-aware controls to the query they show. Each window has its own
// (dsHome, dsRecCard, dsFormView), all on the one main query.
class DataSource : public QObject
{
    Q_OBJECT
public:
    explicit DataSource(AdoQuery *dataSet, QObject *parent = nullptr) : QObject(parent), m_dataSet(dataSet) {}
    AdoQuery *dataSet() const { return m_dataSet; }

private:
    AdoQuery *m_dataSet;
};
