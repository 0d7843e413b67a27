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
    // Asks for the labels' address font, starting from the one chosen last;
    // false when the user cancels.
    bool chooseLabelFont(QWidget *parent);
    // The font chosen last, or the labels' own until one is chosen.
    FontValue labelFont() const { return m_labelFont.Font; }

private:
    std::unique_ptr<QPrinter> m_printer;
    TFontDialog m_labelFont;
};
