#include "platform/ScriptedPlatform.h"

#include <QFileInfo>

namespace {
QString kindWord(MsgKind kind)
{
    switch (kind) {
    case MsgKind::Error:
        return QStringLiteral("Error");
    case MsgKind::Information:
        return QStringLiteral("Information");
    case MsgKind::Confirm:
        break;
    }
    return QStringLiteral("Confirm");
}
} // namespace

QVariant ScriptedDialogs::next() { return answers.isEmpty() ? QVariant() : answers.takeFirst(); }

bool ScriptedDialogs::message(QWidget *, MsgKind kind, const QString &text, bool withCancel)
{
    const QVariant a = next();
    const bool ok = !withCancel || !a.isValid() || a.toString() != QLatin1String("Cancel");
    log << QStringLiteral("%1: %2 -> %3").arg(kindWord(kind), text, ok ? "OK" : "Cancel");
    return ok;
}

int ScriptedDialogs::ask(QWidget *, MsgKind kind, const QString &text, const QStringList &buttons)
{
    const QVariant a = next();
    const int chosen = a.isValid() ? int(buttons.indexOf(a.toString())) : 0;
    const int index = chosen < 0 ? int(buttons.size()) - 1 : chosen;
    log << QStringLiteral("%1: %2 -> %3").arg(kindWord(kind), text, buttons.value(index));
    return index;
}

void ScriptedDialogs::plain(QWidget *, const QString &text) { log << QStringLiteral("Message: ") + text; }

void ScriptedDialogs::errorBox(QWidget *, const QString &text) { log << QStringLiteral("Varnel: ") + text; }

QString ScriptedDialogs::openFile(QWidget *, const FileDialogRequest &request)
{
    lastFileRequest = request;
    const QString path = next().toString();
    log << QStringLiteral("Open: %1 -> %2").arg(request.caption, path.isEmpty() ? "Cancel" : path);
    // As the desktop's dialog does: a name that must exist and does not is
    // refused there, and the program never hears of it.
    if (request.mustExist && !path.isEmpty() && !QFileInfo::exists(path) &&
        !(request.defaultSuffix.size() && QFileInfo::exists(path + '.' + request.defaultSuffix))) {
        log << QStringLiteral("Open: %1 refuses a name that does not exist").arg(request.caption);
        return QString();
    }
    return path;
}

QString ScriptedDialogs::saveFile(QWidget *, const FileDialogRequest &request)
{
    lastFileRequest = request;
    const QString path = next().toString();
    log << QStringLiteral("Save: %1 -> %2").arg(request.caption, path.isEmpty() ? "Cancel" : path);
    return path;
}

QString ScriptedDialogs::password(QWidget *, const QString &prompt)
{
    const QVariant a = next();
    if (!a.isValid() || a.toString() == QLatin1String("Cancel")) {
        log << QStringLiteral("Password: %1 -> Cancel").arg(prompt);
        return QString();
    }
    log << QStringLiteral("Password: %1 -> OK").arg(prompt);
    const QString typed = a.toString();
    return typed.isNull() ? QStringLiteral("") : typed;
}

bool ScriptedDialogs::chooseFont(QWidget *, FontValue &font)
{
    const QVariant a = next();
    if (a.canConvert<FontValue>() && a.userType() == qMetaTypeId<FontValue>()) {
        font = a.value<FontValue>();
        log << QStringLiteral("Font: %1 %2 -> OK").arg(font.font.family()).arg(font.font.pointSizeF());
        return true;
    }
    log << QStringLiteral("Font: %1 %2 -> Cancel").arg(font.font.family()).arg(font.font.pointSizeF());
    return false;
}

bool ScriptedDialogs::printerSetup(QWidget *, QPrinter *printer)
{
    const bool ok = next().toString() == QLatin1String("OK");
    log << QStringLiteral("Printer setup -> %1").arg(ok ? "OK" : "Cancel");
    if (ok && onPrinterDialog)
        onPrinterDialog(printer);
    return ok;
}

bool ScriptedDialogs::printDialog(QWidget *, QPrinter *printer)
{
    const bool ok = next().toString() == QLatin1String("OK");
    log << QStringLiteral("Print -> %1").arg(ok ? "OK" : "Cancel");
    if (ok && onPrinterDialog)
        onPrinterDialog(printer);
    return ok;
}

bool ScriptedDialogs::reportPrintSetup(QWidget *, QPrinter *printer, int pageCount)
{
    const bool ok = next().toString() == QLatin1String("OK");
    log << QStringLiteral("Report printer setup, pages 1 to %1 -> %2").arg(pageCount).arg(ok ? "OK" : "Cancel");
    if (ok && onPrinterDialog)
        onPrinterDialog(printer);
    return ok;
}

ScriptedPlatform::ScriptedPlatform()
{
    Platform::setDialogs(&dialogs);
    Platform::setSound(&sound);
    Platform::setShell(&shell);
}

ScriptedPlatform::~ScriptedPlatform()
{
    Platform::setDialogs(nullptr);
    Platform::setSound(nullptr);
    Platform::setShell(nullptr);
}
