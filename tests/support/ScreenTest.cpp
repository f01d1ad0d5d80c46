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

ScreenTest::~ScreenTest()
{
    for (const Poll& poll : polls)
        if (poll.timer->isActive()) ADD_FAILURE() << "no window " << poll.name << " was shown";
}

QWidget* ScreenTest::ShownWindow(std::string_view name)
{
    const QString wanted = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == wanted && window->isVisible()) return window;
    return nullptr;
}

void ScreenTest::WhenShown(std::string_view name, std::function<void(QWidget&)> action)
{
    QTimer* poll = polls.emplace_back(Poll{std::string(name), std::make_unique<QTimer>()}).timer.get();
    QObject::connect(poll, &QTimer::timeout, [poll, name = std::string(name), action = std::move(action)] {
        if (QWidget* window = ShownWindow(name)) {
            poll->stop();
            action(*window);
        }
    });
    poll->start(10);
}

void ScreenTest::ProcessEvents()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace mfg::test
