#include "platform/Platform.h"

#include "platform/ProgramFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGroupBox>
#include <QHash>
#include <QInputDialog>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSoundEffect>
#include <QUrl>
#include <algorithm>

namespace {

// Qt's font dialog offers underline and strikeout but no colour; the program's
// font dialog has the usual sixteen text colours beside them.
void addColourChoice(QFontDialog &dialog, QColor &colour)
{
    QGroupBox *effects = nullptr;
    for (QGroupBox *box : dialog.findChildren<QGroupBox *>())
        if (box->findChild<QCheckBox *>() && box->layout())
            effects = box;
    if (!effects)
        return;
    static const std::pair<const char *, QRgb> colours[] = {
        {QT_TRANSLATE_NOOP("Platform", "Black"), 0x000000},
        {QT_TRANSLATE_NOOP("Platform", "Maroon"), 0x800000},
        {QT_TRANSLATE_NOOP("Platform", "Green"), 0x008000},
        {QT_TRANSLATE_NOOP("Platform", "Olive"), 0x808000},
        {QT_TRANSLATE_NOOP("Platform", "Navy"), 0x000080},
        {QT_TRANSLATE_NOOP("Platform", "Purple"), 0x800080},
        {QT_TRANSLATE_NOOP("Platform", "Teal"), 0x008080},
        {QT_TRANSLATE_NOOP("Platform", "Gray"), 0x808080},
        {QT_TRANSLATE_NOOP("Platform", "Silver"), 0xc0c0c0},
        {QT_TRANSLATE_NOOP("Platform", "Red"), 0xff0000},
        {QT_TRANSLATE_NOOP("Platform", "Lime"), 0x00ff00},
        {QT_TRANSLATE_NOOP("Platform", "Yellow"), 0xffff00},
        {QT_TRANSLATE_NOOP("Platform", "Blue"), 0x0000ff},
        {QT_TRANSLATE_NOOP("Platform", "Fuchsia"), 0xff00ff},
        {QT_TRANSLATE_NOOP("Platform", "Aqua"), 0x00ffff},
        {QT_TRANSLATE_NOOP("Platform", "White"), 0xffffff}};
    auto *combo = new QComboBox(effects);
    combo->setObjectName(QStringLiteral("colourCombo"));
    for (const auto &[name, rgb] : colours) {
        QPixmap swatch(16, 12);
        swatch.fill(QColor(rgb));
        combo->addItem(QIcon(swatch), QCoreApplication::translate("Platform", name), QColor(rgb));
    }
    int at = combo->findData(colour);
    if (at < 0) {
        combo->addItem(colour.name(), colour);
        at = combo->count() - 1;
    }
    combo->setCurrentIndex(at);
    auto *label = new QLabel(QCoreApplication::translate("Platform", "&Colour:"), effects);
    label->setBuddy(combo);
    effects->layout()->addWidget(label);
    effects->layout()->addWidget(combo);
    // The sample text is the line edit in a group box; the others head the lists.
    QLineEdit *sample = nullptr;
    for (QLineEdit *edit : dialog.findChildren<QLineEdit *>())
        if (qobject_cast<QGroupBox *>(edit->parentWidget()))
            sample = edit;
    auto show = [combo, sample, &colour] {
        colour = combo->currentData().value<QColor>();
        if (sample) {
            QPalette p = sample->palette();
            p.setColor(QPalette::Text, colour);
            sample->setPalette(p);
        }
    };
    QObject::connect(combo, &QComboBox::currentIndexChanged, combo, show);
    show();
}

// "Rich Text Format (*.rtf)" -> "rtf"; a filter of several patterns or of
// none with an ending gives the fallback.
QString filterSuffix(const QString &filter, const QString &fallback)
{
    const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = filter.lastIndexOf(QLatin1Char(')'));
    const QString patterns =
        open >= 0 && close > open ? filter.mid(open + 1, close - open - 1) : filter;
    const QStringList list = patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (list.size() != 1 || !list.first().startsWith(QLatin1String("*.")))
        return fallback;
    const QString suffix = list.first().mid(2);
    if (suffix.isEmpty() || suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char('?')))
        return fallback;
    return suffix;
}

class DesktopDialogs : public Dialogs
{
public:
    bool message(QWidget *parent, MsgKind kind, const QString &text, bool withCancel) override
    {
        QMessageBox box(parent);
        switch (kind) {
        case MsgKind::Error:
            box.setWindowTitle(QCoreApplication::translate("DesktopDialogs", "Error"));
            box.setIcon(QMessageBox::Critical);
            break;
        case MsgKind::Information:
            box.setWindowTitle(QCoreApplication::translate("DesktopDialogs", "Information"));
            box.setIcon(QMessageBox::Information);
            break;
        case MsgKind::Confirm:
            box.setWindowTitle(QCoreApplication::translate("DesktopDialogs", "Confirm"));
            box.setIcon(QMessageBox::Question);
            break;
        }
        box.setText(text);
        QPushButton *ok = box.addButton(QCoreApplication::translate("DesktopDialogs", "OK"),
                                        QMessageBox::AcceptRole);
        if (withCancel)
            box.addButton(QCoreApplication::translate("DesktopDialogs", "Cancel"),
                          QMessageBox::RejectRole);
        box.setDefaultButton(ok);
        box.exec();
        return !withCancel || box.clickedButton() == ok;
    }

    int ask(QWidget *parent, MsgKind kind, const QString &text, const QStringList &buttons) override
    {
        QMessageBox box(parent);
        box.setWindowTitle(kind == MsgKind::Error
                               ? QCoreApplication::translate("DesktopDialogs", "Error")
                           : kind == MsgKind::Information
                               ? QCoreApplication::translate("DesktopDialogs", "Information")
                               : QCoreApplication::translate("DesktopDialogs", "Confirm"));
        box.setIcon(kind == MsgKind::Error         ? QMessageBox::Critical
                    : kind == MsgKind::Information ? QMessageBox::Information
                                                   : QMessageBox::Question);
        box.setText(text);
        QList<QPushButton *> added;
        for (const QString &caption : buttons)
            added << box.addButton(caption, QMessageBox::ActionRole);
        if (added.isEmpty())
            added << box.addButton(QCoreApplication::translate("DesktopDialogs", "OK"),
                                   QMessageBox::AcceptRole);
        box.setDefaultButton(added.first());
        box.setEscapeButton(added.last());
        box.exec();
        const int chosen = int(added.indexOf(static_cast<QPushButton *>(box.clickedButton())));
        return chosen < 0 ? int(added.size()) - 1 : chosen;
    }

    void plain(QWidget *parent, const QString &text) override
    {
        QMessageBox box(parent);
        box.setWindowTitle(QCoreApplication::translate("DesktopDialogs", "Varnel"));
        box.setText(text);
        box.addButton(QCoreApplication::translate("DesktopDialogs", "OK"), QMessageBox::AcceptRole);
        box.exec();
    }

    void errorBox(QWidget *parent, const QString &text) override
    {
        QMessageBox box(parent);
        box.setWindowTitle(QCoreApplication::translate("DesktopDialogs", "Varnel"));
        box.setIcon(QMessageBox::Critical);
        box.setText(text);
        box.addButton(QCoreApplication::translate("DesktopDialogs", "OK"), QMessageBox::AcceptRole);
        box.exec();
    }

    QString openFile(QWidget *parent, const FileDialogRequest &r) override
    {
        QFileDialog d(parent, r.caption, r.folder);
        d.setAcceptMode(QFileDialog::AcceptOpen);
        d.setFileMode(r.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        return run(d, r);
    }

    QString saveFile(QWidget *parent, const FileDialogRequest &r) override
    {
        QFileDialog d(parent, r.caption, r.folder);
        d.setAcceptMode(QFileDialog::AcceptSave);
        d.setFileMode(QFileDialog::AnyFile);
        if (!r.confirmOverwrite)
            d.setOption(QFileDialog::DontConfirmOverwrite);
        return run(d, r);
    }

    QString password(QWidget *parent, const QString &prompt) override
    {
        bool ok = false;
        const QString typed =
            QInputDialog::getText(parent, QCoreApplication::translate("DesktopDialogs", "Password"),
                                  prompt, QLineEdit::Password, QString(), &ok);
        return ok ? (typed.isNull() ? QStringLiteral("") : typed) : QString();
    }

    bool chooseFont(QWidget *parent, FontValue &font) override
    {
        QFontDialog d(font.font, parent);
        d.setOption(QFontDialog::DontUseNativeDialog);
        QColor colour = font.color;
        addColourChoice(d, colour);
        if (d.exec() != QDialog::Accepted)
            return false;
        font.font = d.selectedFont();
        font.color = colour;
        return true;
    }

    bool printerSetup(QWidget *parent, QPrinter *printer) override
    {
        // The choice of printer with its paper and orientation (the printer's
        // properties); nothing is printed from here, so the dialog's button
        // says OK rather than Print.
        QPrintDialog d(printer, parent);
        d.setWindowTitle(QCoreApplication::translate("DesktopDialogs", "Printer Setup"));
        d.setOption(QAbstractPrintDialog::PrintToFile, false);
        d.setOption(QAbstractPrintDialog::PrintSelection, false);
        d.setOption(QAbstractPrintDialog::PrintPageRange, false);
        d.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        for (QDialogButtonBox *box : d.findChildren<QDialogButtonBox *>())
            if (QPushButton *ok = box->button(QDialogButtonBox::Ok))
                ok->setText(QCoreApplication::translate("DesktopDialogs", "OK"));
        return d.exec() == QDialog::Accepted;
    }

    bool printDialog(QWidget *parent, QPrinter *printer) override
    {
        QPrintDialog d(printer, parent);
        return d.exec() == QDialog::Accepted;
    }

    bool reportPrintSetup(QWidget *parent, QPrinter *printer, int pageCount) override
    {
        QPrintDialog d(printer, parent);
        d.setOption(QAbstractPrintDialog::PrintToFile, false);
        d.setOption(QAbstractPrintDialog::PrintSelection, false);
        d.setOption(QAbstractPrintDialog::PrintPageRange, pageCount > 0);
        d.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        d.setMinMax(1, std::max(1, pageCount));
        return d.exec() == QDialog::Accepted;
    }

private:
    static QString run(QFileDialog &d, const FileDialogRequest &r)
    {
        if (!r.filters.isEmpty())
            d.setNameFilters(r.filters);
        if (!r.bareNameSuffix.isEmpty() && d.acceptMode() == QFileDialog::AcceptSave) {
            d.setDefaultSuffix(r.bareNameSuffix);
        } else if (!r.defaultSuffix.isEmpty()) {
            d.setDefaultSuffix(r.defaultSuffix);
            // A name typed without an ending takes the ending of the type the
            // user picked, where that type has one, as the desktop's own
            // dialogs do; the request's default otherwise.
            if (d.acceptMode() == QFileDialog::AcceptSave)
                QObject::connect(&d, &QFileDialog::filterSelected, &d,
                                 [&d, fallback = r.defaultSuffix](const QString &filter) {
                                     d.setDefaultSuffix(filterSuffix(filter, fallback));
                                 });
        }
        if (!r.fileName.isEmpty())
            d.selectFile(r.fileName);
        if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
            return QString();
        return d.selectedFiles().constFirst();
    }
};

// Plays a wave file found by name: first in the current folder, then among the
// program's installed files. A name found nowhere gets the desktop's beep instead.
class DesktopSound : public SoundPlayer
{
public:
    void play(const QString &wavName) override
    {
        QString path;
        for (const QString &candidate : {QDir::currentPath() + '/' + wavName, ProgramFolder::file(wavName)}) {
            if (QFileInfo::exists(candidate)) {
                path = candidate;
                break;
            }
        }
        if (path.isEmpty()) {
            QApplication::beep();
            return;
        }
        QSoundEffect *&effect = m_effects[path];
        if (!effect) {
            effect = new QSoundEffect(qApp);
            effect->setSource(QUrl::fromLocalFile(path));
        }
        effect->play();
    }

private:
    QHash<QString, QSoundEffect *> m_effects;
};

class DesktopShell : public Shell
{
public:
    bool open(const QString &target) override
    {
        const QUrl url = target.contains(':') && !target.startsWith('/') ? QUrl(target)
                                                                         : QUrl::fromLocalFile(target);
        return QDesktopServices::openUrl(url);
    }
};

Dialogs *g_dialogs = nullptr;
SoundPlayer *g_sound = nullptr;
Shell *g_shell = nullptr;

} // namespace

Dialogs &Platform::dialogs()
{
    static DesktopDialogs desktop;
    return g_dialogs ? *g_dialogs : desktop;
}

SoundPlayer &Platform::sound()
{
    static DesktopSound desktop;
    return g_sound ? *g_sound : desktop;
}

Shell &Platform::shell()
{
    static DesktopShell desktop;
    return g_shell ? *g_shell : desktop;
}

void Platform::setDialogs(Dialogs *d) { g_dialogs = d; }
void Platform::setSound(SoundPlayer *s) { g_sound = s; }
void Platform::setShell(Shell *s) { g_shell = s; }

QString Platform::errorBoxText(const QString &message)
{
    // A message gets a closing full stop unless it already ends in one or in a
    // character that sorts before it (blanks and most closing punctuation).
    if (!message.isEmpty() && message.back() > QChar('.'))
        return message + '.';
    return message;
}

void Platform::showError(QWidget *parent, const QString &message)
{
    dialogs().errorBox(parent, errorBoxText(message));
}
