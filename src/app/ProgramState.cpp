#include "app/ProgramState.h"

#include <QPrinter>

ProgramState::ProgramState(QObject *parent) : QObject(parent)
{
    labelFont.Font.font = QFont(QStringLiteral("MS Sans Serif"));
    labelFont.Font.font.setPointSizeF(8);
    labelFont.Font.color = Qt::black;
}

ProgramState::~ProgramState() = default;

QPrinter *ProgramState::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return m_printer.get();
}
