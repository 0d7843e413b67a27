#pragma once

#include <QWidget>

// The search dialog's help: a coloured title band above a read-only text.
// The search dialog owns it; hidden when closed.
class TfmSearchHelp : public QWidget
{
    Q_OBJECT
public:
    explicit TfmSearchHelp(QWidget *parent = nullptr);

    static QString helpText();
};
