#pragma once

#include "platform/SettingsKeys.h"

#include <QDateTime>
#include <QString>

// The settings file "VarnIni.ini": sections in square brackets, key=value lines,
// names matched without regard to letter case.
//
// Nothing is cached: every read opens the file anew and every write goes
// straight to disk, so two windows (or two running copies of the program) always
// see each other's latest values. A write rewrites the whole file through a
// temporary file in the same folder and a rename, so a failed write never leaves
// a truncated settings file behind. Lines the program does not own (comments,
// unknown keys and sections) are kept byte for byte, in their order, with the
// line endings they had.
class IniFile
{
public:
    explicit IniFile(QString path);

    // "VarnIni.ini" in the program folder.
    static QString settingsPath();

    QString path() const { return m_path; }

    // Removes what a write cut short by the program's end leaves beside the
    // file: "<name>.XXXXXX" temporary files last changed before `runStarted`.
    // Newer ones may belong to a copy of the program writing right now.
    void removeStaleTemporaries(const QDateTime &runStarted) const;

    // A missing file, section or key, an empty value or one that is no decimal
    // (or "0x" hexadecimal) number in the range of int gives the default.
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    // Read as an integer with the default 1 or 0; true when it is not 0.
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;

    // Raise VarnelError("Unable to write to <path>") when the system refuses.
    void writeInteger(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);

    // The same, by the program's own names for what it keeps.
    int readInteger(SettingsKeys::Window window, SettingsKeys::Place place, int defaultValue) const
    {
        return readInteger(SettingsKeys::section(window), SettingsKeys::key(place), defaultValue);
    }
    void writeInteger(SettingsKeys::Window window, SettingsKeys::Place place, int value)
    {
        writeInteger(SettingsKeys::section(window), SettingsKeys::key(place), value);
    }
    bool readBool(SettingsKeys::Option option, bool defaultValue) const
    {
        return readBool(SettingsKeys::optionsSection(), SettingsKeys::key(option), defaultValue);
    }
    void writeBool(SettingsKeys::Option option, bool value)
    {
        writeBool(SettingsKeys::optionsSection(), SettingsKeys::key(option), value);
    }
    // A width of the main grid's column.
    int readGridWidth(int column, int defaultValue) const
    {
        return readInteger(SettingsKeys::gridSection(), SettingsKeys::gridWidthKeys().at(column), defaultValue);
    }
    void writeGridWidth(int column, int value)
    {
        writeInteger(SettingsKeys::gridSection(), SettingsKeys::gridWidthKeys().at(column), value);
    }

private:
    void writeValue(const QString &section, const QString &key, const QByteArray &value);

    QString m_path;
};
