#pragma once

#include <QString>
#include <exception>

// The one error type of the program: it carries the text the user is shown.
class VarnelError : public std::exception
{
public:
    explicit VarnelError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
