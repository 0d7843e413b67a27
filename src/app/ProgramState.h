#pragma once

#include "platform/FontDialog.h"

#include <QObject>
#include <memory>

class QPrinter;

// What the program remembers while it runs and never writes to the settings:
// the printer settings as Printer Setup left them, and the font dialog whose
// font "Set labels font" gives the address memos of the three label reports.
class ProgramState : public QObject
{
    Q_OBJECT
public:
    explicit ProgramState(QObject *parent = nullptr);
    ~ProgramState() override;

    // Made on first use.
    QPrinter *printer();
    // Opens on its own font until OK first gives it another.
    TFontDialog labelFont;

private:
    std::unique_ptr<QPrinter> m_printer;
};
