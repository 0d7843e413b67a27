#include "platform/Guard.h"

#include "platform/Platform.h"
#include "platform/VarnelError.h"

bool guarded(QWidget *parent, const std::function<void()> &action)
{
    try {
        action();
        return true;
    } catch (const VarnelError &e) {
        Platform::showError(parent, e.message());
    } catch (const std::exception &e) {
        Platform::showError(parent, QString::fromUtf8(e.what()));
    }
    return false;
}
