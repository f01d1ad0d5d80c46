#include "ScreenTest.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

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

void ScreenTest::WhenShown(std::string_view name, std::function<void(QWidget&)> action)
{
    const QString wanted = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    QTimer* poll = polls.emplace_back(std::make_unique<QTimer>()).get();
    QObject::connect(poll, &QTimer::timeout, [poll, wanted, action = std::move(action), tries = 0]() mutable {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->objectName() == wanted && window->isVisible()) {
                poll->stop();
                action(*window);
                return;
            }
        if (++tries > 500) poll->stop();
    });
    poll->start(10);
}

void ScreenTest::ProcessEvents()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace mfg::test
