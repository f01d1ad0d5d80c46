#include "GuardedApplication.h"

#include "host/Dialogs.h"

namespace mfg {

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowError(error);
    } catch (...) {
        ShowError("程序内部错误, 操作没有完成");
    }
    return false;
}

}  // namespace mfg
