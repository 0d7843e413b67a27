#pragma once

#include <QTextEdit>

// A rich-text editor for text from elsewhere (a letter file, a web page on the
// clipboard): it shows only the pictures the text carries inside itself and
// never lays out more nesting than the program's own letters can hold.
class ContainedTextEdit : public QTextEdit
{
    Q_OBJECT
public:
    explicit ContainedTextEdit(QWidget *parent = nullptr);

protected:
    void insertFromMimeData(const QMimeData *source) override;
};
