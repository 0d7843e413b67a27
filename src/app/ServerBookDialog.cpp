#include "app/ServerBookDialog.h"

#include "platform/VarnelError.h"
#include "store/BookAddress.h"
#include "widgets/WindowFont.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kStandardPort = 5432;

BookAddress::Server startingPoint(const QString &current)
{
    if (BookAddress::isServer(current)) {
        try {
            return BookAddress::parse(current);
        } catch (const VarnelError &) {
            // An address that no longer reads starts from the defaults.
        }
    }
    BookAddress::Server s;
    s.host = QStringLiteral("localhost");
    s.port = kStandardPort;
    s.user = qEnvironmentVariable("USER", qEnvironmentVariable("LOGNAME", QDir::home().dirName()));
    return s;
}

QLineEdit *field(QWidget *parent, const char *name, const QString &text)
{
    auto *e = new QLineEdit(text, parent);
    e->setObjectName(QLatin1String(name));
    return e;
}

} // namespace

ServerBookDialog::ServerBookDialog(const QString &title, const QString &current, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fmServerBook"));
    setWindowTitle(title);
    setFont(windowFont());
    setMinimumWidth(380);
    const BookAddress::Server s = startingPoint(current);
    m_options = s.options;

    m_hostEdit = field(this, "edHost", s.host);
    m_hostEdit->setToolTip(tr("Server name or address, or the folder of its socket"));
    m_portBox = new QSpinBox(this);
    m_portBox->setObjectName(QStringLiteral("edPort"));
    m_portBox->setRange(1, 65535);
    m_portBox->setValue(s.port > 0 ? s.port : kStandardPort);
    m_databaseEdit = field(this, "edDatabase", s.database);
    m_userEdit = field(this, "edUser", s.user);

    auto *form = new QFormLayout;
    form->addRow(tr("&Host:"), m_hostEdit);
    form->addRow(tr("&Port:"), m_portBox);
    form->addRow(tr("&Database:"), m_databaseEdit);
    form->addRow(tr("&User:"), m_userEdit);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_okButton = buttons->button(QDialogButtonBox::Ok);
    m_okButton->setObjectName(QStringLiteral("btnOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("btnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    for (QLineEdit *e : {m_hostEdit, m_databaseEdit, m_userEdit})
        connect(e, &QLineEdit::textChanged, this, &ServerBookDialog::updateOk);
    updateOk();
    (s.database.isEmpty() ? m_databaseEdit : m_hostEdit)->setFocus();
}

void ServerBookDialog::updateOk()
{
    m_okButton->setEnabled(!m_hostEdit->text().trimmed().isEmpty() &&
                           !m_databaseEdit->text().trimmed().isEmpty() &&
                           !m_userEdit->text().trimmed().isEmpty());
}

QString ServerBookDialog::address() const
{
    BookAddress::Server s;
    s.host = m_hostEdit->text().trimmed();
    s.port = m_portBox->value();
    s.database = m_databaseEdit->text().trimmed();
    s.user = m_userEdit->text().trimmed();
    s.options = m_options;
    return BookAddress::uriFor(s);
}
