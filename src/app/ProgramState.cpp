#include "app/ProgramState.h"

#include <QPrinter>

ProgramState::ProgramState(QObject *parent) : QObject(parent)
{
    m_labelFont.Font.font = QFont(QStringLiteral("MS Sans Serif"));
    m_labelFont.Font.font.setPointSizeF(8);
    m_labelFont.Font.color = Qt::black;
}

ProgramState::~ProgramState() = default;

QPrinter *ProgramState::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return m_printer.get();
}

bool ProgramState::chooseLabelFont(QWidget *parent)
{
    return m_labelFont.Execute(parent);
}
