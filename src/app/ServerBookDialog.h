#pragma once

#include <QDialog>

class QLineEdit;
class QSpinBox;

// Asks where a server book lives: host, port, database and user. The
// password is never asked here; the server asks for it when it wants one.
class ServerBookDialog : public QDialog
{
    Q_OBJECT
public:
    // `title` is the window's caption; `current` a server address to start
    // from (the book in use, when it is a server book), else the defaults:
    // this machine, the standard port, the user's own name.
    ServerBookDialog(const QString &title, const QString &current, QWidget *parent = nullptr);

    // The address of the book chosen, without a password.
    QString address() const;

private:
    void updateOk();

    QLineEdit *m_hostEdit;
    QSpinBox *m_portBox;
    QLineEdit *m_databaseEdit;
    QLineEdit *m_userEdit;
    QPushButton *m_okButton;
    QString m_options; // the starting address's further parameters, kept
};
