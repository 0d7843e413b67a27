#include "store/EngineWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <sqlite3.h>

namespace {

std::function<void(bool)> &observer()
{
    static std::function<void(bool)> o;
    return o;
}

int depth = 0;
bool noticeShown = false;
QElapsedTimer waited;

int busyHandler(void *, int count)
{
    if (count == 0) {
        waited.start();
        if (!noticeShown && observer()) {
            noticeShown = true;
            observer()(true);
        }
    }
    if (waited.elapsed() >= EngineWait::kTimeoutMs)
        return 0;
    QThread::msleep(count < 10 ? 5 : 25);
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return 1;
}

} // namespace

void EngineWait::install(sqlite3 *handle)
{
    sqlite3_busy_handler(handle, busyHandler, nullptr);
}

void EngineWait::setObserver(std::function<void(bool)> o)
{
    observer() = std::move(o);
}

EngineWait::Scope::Scope() : m_outer(depth++ == 0) {}

EngineWait::Scope::~Scope()
{
    --depth;
    if (m_outer && noticeShown) {
        noticeShown = false;
        if (observer())
            observer()(false);
    }
}
