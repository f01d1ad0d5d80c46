#include "ScreenTest.h"

#include <QCoreApplication>
#include <QEvent>


namespace mfg::test {

QApplication& TestApplication() { return *qobject_cast<QApplication*>(QCoreApplication::instance()); }

void ScreenTest::ProcessEvents()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace mfg::test
