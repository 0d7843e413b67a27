#include "app/Options.h"

#include "platform/IniFile.h"
#include "widgets/Pictures.h"
#include "platform/Guard.h"
#include "widgets/WindowFont.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QTextEdit>

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

    m_banner = new QLabel(this);
    m_banner->setObjectName(QStringLiteral("Image1"));
    m_banner->setGeometry((465 - 260) / 2, 8, 260, 71);
    m_banner->setScaledContents(true);
    m_banner->setPixmap(Pictures::banner());

    m_introduction = new QTextEdit(this);
    m_introduction->setObjectName(QStringLiteral("Memo1"));
    m_introduction->setGeometry(4, 88, 457, 92);
    m_introduction->setFrameShape(QFrame::NoFrame);
    m_introduction->setAcceptRichText(false);
    m_introduction->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_introduction->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette memoPal = pal;
    memoPal.setColor(QPalette::Base, pal.color(QPalette::Window));
    memoPal.setColor(QPalette::Text, pal.color(QPalette::WindowText));
    m_introduction->setPalette(memoPal);
    m_introduction->setFont(windowFont(10));
    m_introduction->setPlainText(
        tr("Simple to use database for home or office\n"
                       "Store details of your friends, relatives, colleagues, customers, members\n"
                       "Find, sort, group; produce reports, labels and more.\n"));
    QTextCursor all(m_introduction->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    all.mergeBlockFormat(centred);

    m_showSampleBox = new QCheckBox(
        tr(
            "un-check this box if you don't want to see the sample Varnel table at start-up."),
        this);
    m_showSampleBox->setObjectName(QStringLiteral("CheckBox1"));
    m_showSampleBox->setGeometry(16, 192, 433, 20);
    m_showThisWindowBox = new QCheckBox(
        tr("un-check this to stop seeing this window at start-up."), this);
    m_showThisWindowBox->setObjectName(QStringLiteral("CheckBox2"));
    m_showThisWindowBox->setGeometry(16, 222, 433, 20);
    m_showSampleBox->setChecked(true);
    m_showThisWindowBox->setChecked(true);

    setTabOrder(m_showSampleBox, m_introduction);
    setTabOrder(m_introduction, m_showThisWindowBox);
    m_introduction->setTabChangesFocus(true);
}

void TfmStartOptions::loadChoices()
{
    const IniFile ini(IniFile::settingsPath());
    m_showSampleBox->setChecked(ini.readBool(SettingsKeys::Option::SampleAtStart, true));
    m_showThisWindowBox->setChecked(ini.readBool(SettingsKeys::Option::OptionsAtStart, true));
    m_loaded = true;
}

void TfmStartOptions::saveChoices()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    IniFile ini(IniFile::settingsPath());
    ini.writeBool(SettingsKeys::Option::SampleAtStart, m_showSampleBox->isChecked());
    ini.writeBool(SettingsKeys::Option::OptionsAtStart, m_showThisWindowBox->isChecked());
}

void TfmStartOptions::changeEvent(QEvent *e)
{
    QDialog::changeEvent(e);
    if (e->type() != QEvent::ActivationChange || !isVisible())
        return;
    if (isActiveWindow())
        guarded(this, [this] { loadChoices(); });
    else
        guarded(this, [this] { saveChoices(); });
}

void TfmStartOptions::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    // The desktop may hand over activation late, or not at all: the check
    // boxes show the file's values from the start either way.
    if (!m_loaded)
        guarded(this, [this] { loadChoices(); });
}

void TfmStartOptions::hideEvent(QHideEvent *e)
{
    // Closing deactivates the window; write here so that the choices are
    // saved whether or not the desktop reports that deactivation.
    guarded(this, [this] { saveChoices(); });
    QDialog::hideEvent(e);
}
