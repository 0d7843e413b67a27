#include "app/Options.h"

#include "platform/IniFile.h"
#include "widgets/Pictures.h"
#include "platform/Guard.h"
#include "widgets/WindowFont.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QTextEdit>

TfmStartOptions *fmStartOptions = nullptr;

namespace {
const QString kSection = QStringLiteral("Options");
const QString kChecked = QStringLiteral("Checked");
const QString kShowForm = QStringLiteral("Show Form");
} // namespace

TfmStartOptions::TfmStartOptions(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("fmStartOptions"));
    setWindowTitle(QString());
    setFont(windowFont());
    setFixedSize(465, 260);
    // The desktop's tooltip colour: pale yellow.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::WindowText, pal.color(QPalette::ToolTipText));
    setPalette(pal);
    setAutoFillBackground(true);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry((465 - 260) / 2, 8, 260, 71);
    Image1->setScaledContents(true);
    Image1->setPixmap(Pictures::banner());

    Memo1 = new QTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(4, 88, 457, 92);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setAcceptRichText(false);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette memoPal = pal;
    memoPal.setColor(QPalette::Base, pal.color(QPalette::Window));
    memoPal.setColor(QPalette::Text, pal.color(QPalette::WindowText));
    Memo1->setPalette(memoPal);
    Memo1->setFont(windowFont(10));
    Memo1->setPlainText(QStringLiteral("Simple to use database for home or office\n"
                                       "Store details of your friends, relatives, colleagues, customers, members\n"
                                       "Find, sort, group; produce reports, labels and more.\n"));
    QTextCursor all(Memo1->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    all.mergeBlockFormat(centred);

    CheckBox1 = new QCheckBox(
        QStringLiteral("un-check this box if you don't want to see the sample Varnel table at start-up."), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(16, 192, 433, 20);
    CheckBox2 = new QCheckBox(QStringLiteral("un-check this to stop seeing this window at start-up."), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setGeometry(16, 222, 433, 20);
    CheckBox1->setChecked(true);
    CheckBox2->setChecked(true);

    setTabOrder(CheckBox1, Memo1);
    setTabOrder(Memo1, CheckBox2);
    Memo1->setTabChangesFocus(true);
}

void TfmStartOptions::FormActivate()
{
    const IniFile ini(IniFile::settingsPath());
    CheckBox1->setChecked(ini.readBool(kSection, kChecked, true));
    CheckBox2->setChecked(ini.readBool(kSection, kShowForm, true));
    m_loaded = true;
}

void TfmStartOptions::FormDeactivate()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    IniFile ini(IniFile::settingsPath());
    ini.writeBool(kSection, kChecked, CheckBox1->isChecked());
    ini.writeBool(kSection, kShowForm, CheckBox2->isChecked());
}

void TfmStartOptions::changeEvent(QEvent *e)
{
    QDialog::changeEvent(e);
    if (e->type() != QEvent::ActivationChange || !isVisible())
        return;
    if (isActiveWindow())
        guarded(this, [this] { FormActivate(); });
    else
        guarded(this, [this] { FormDeactivate(); });
}

void TfmStartOptions::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    fmStartOptions = this;
    // The desktop may hand over activation late, or not at all: the check
    // boxes show the file's values from the start either way.
    if (!m_loaded)
        guarded(this, [this] { FormActivate(); });
}

void TfmStartOptions::hideEvent(QHideEvent *e)
{
    // Closing deactivates the window; write here so that the choices are
    // saved whether or not the desktop reports that deactivation.
    guarded(this, [this] { FormDeactivate(); });
    if (fmStartOptions == this)
        fmStartOptions = nullptr;
    QDialog::hideEvent(e);
}
