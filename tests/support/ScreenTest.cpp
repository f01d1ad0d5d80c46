#include "ScreenTest.h"

#include <QCoreApplication>
#include <QEvent>

#include <filesystem>

namespace mfg::test {

QApplication& TestApplication()
{
    return *qobject_cast<QApplication*>(QCoreApplication::instance());
}

ScreenTest::ScreenTest()
{
    auto folder = std::filesystem::path(::testing::TempDir()) / ("screens-" + DatabaseName());
    std::filesystem::remove_all(folder);
    host.SetTempDirectory(folder);
}

void ScreenTest::ProcessEvents()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace mfg::test
