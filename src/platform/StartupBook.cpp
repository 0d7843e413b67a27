#include "platform/StartupBook.h"

namespace {
QString &asked()
{
    static QString path;
    return path;
}
} // namespace

void StartupBook::request(const QString &path) { asked() = path; }

QString StartupBook::take()
{
    QString path;
    path.swap(asked());
    return path;
}
