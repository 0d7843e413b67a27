#pragma once

#include <QString>
#include <QStringList>

// The sections and keys of the settings file that more than one part of the
// program reads or writes, each spelled once. IniFile reads and writes them
// by these names.
namespace SettingsKeys {

// The windows whose place is kept, each in its own section.
enum class Window { Main, RecordCard, FormView };
// What is kept of a window's place.
enum class Place { Top, Left, Width, Height, Status };
// The start-up options.
enum class Option {
    SampleAtStart,     // start on the sample book rather than the blank one
    OptionsAtStart,    // show the options window at start-up
};

inline QString section(Window window)
{
    switch (window) {
    case Window::Main: return QStringLiteral("MainForm");
    case Window::RecordCard: return QStringLiteral("RecCard");
    case Window::FormView: return QStringLiteral("FormView");
    }
    return {};
}

inline QString key(Place place)
{
    switch (place) {
    case Place::Top: return QStringLiteral("Top");
    case Place::Left: return QStringLiteral("Left");
    case Place::Width: return QStringLiteral("Width");
    case Place::Height: return QStringLiteral("Height");
    case Place::Status: return QStringLiteral("Status");
    }
    return {};
}

inline QString optionsSection() { return QStringLiteral("Options"); }

inline QString key(Option option)
{
    switch (option) {
    case Option::SampleAtStart: return QStringLiteral("Checked");
    case Option::OptionsAtStart: return QStringLiteral("Show Form");
    }
    return {};
}

// The main grid's column widths, one key per grid column in column order.
inline QString gridSection() { return QStringLiteral("DBGrid"); }
inline const QStringList &gridWidthKeys()
{
    static const QStringList keys = {
        QStringLiteral("WSurname"), QStringLiteral("WFirstname"), QStringLiteral("WAdd1"),
        QStringLiteral("WAdd2"),    QStringLiteral("WA3"),        QStringLiteral("WTown"),
        QStringLiteral("WCounty"),  QStringLiteral("WPCode"),     QStringLiteral("WTel"),
        QStringLiteral("WCell"),    QStringLiteral("WFlag")};
    return keys;
}

} // namespace SettingsKeys
