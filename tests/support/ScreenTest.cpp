#include "ScreenTest.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QHeaderView>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "LookupCombo.h"

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
    // The screens remember their sizes in the user's settings; each test starts without any.
    host.SetCurrDirectory(folder);
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

void ScreenTest::ShowAtDefaultSize(QWidget& form)
{
    form.show();
    ProcessEvents();
    EXPECT_LE(form.width(), 1340) << form.objectName().toStdString();
    EXPECT_LE(form.height(), 640) << form.objectName().toStdString();
}

void ScreenTest::ExpectInside(QWidget& form, QWidget& control)
{
    std::string name = control.objectName().toStdString();
    EXPECT_TRUE(control.isVisibleTo(&form)) << name;
    QRect area(control.mapTo(&form, QPoint(0, 0)), control.size());
    EXPECT_TRUE(form.rect().contains(area)) << name << " lies outside " << form.objectName().toStdString();
    // A control the screen made narrow on purpose (an up-down of arrows alone) counts as it is.
    EXPECT_GE(control.width(), std::min(control.minimumSizeHint().width(), control.maximumWidth()))
        << name << " is squeezed";
}

void ScreenTest::ExpectOnScreen(QWidget& window)
{
    std::string name = window.objectName().toStdString();
    QScreen* screen = window.screen();
    ASSERT_NE(screen, nullptr) << name;
    ASSERT_EQ(screen->geometry().size(), QSize(1366, 768)) << "the test desktop";
    EXPECT_TRUE(window.isVisible()) << name;
    QRect frame = window.frameGeometry();
    EXPECT_TRUE(screen->availableGeometry().contains(frame))
        << name << " at " << frame.x() << "," << frame.y() << " " << frame.width() << "×" << frame.height()
        << " runs off the screen";
}

void ScreenTest::ExpectListOnScreen(LookupCombo& combo)
{
    std::string name = combo.objectName().toStdString();
    ASSERT_TRUE(combo.DroppedDown()) << name;
    QWidget& list = *combo.DropDownGrid().parentWidget();
    ExpectOnScreen(list);
    for (QPushButton* button : list.findChildren<QPushButton*>())
        if (!button->isHidden()) ExpectInside(list, *button);
    const DataSetModel& columns = combo.DropDownGrid().Model();
    for (int column = 0; column < columns.columnCount(); ++column) {
        QString title = columns.headerData(column, Qt::Horizontal).toString();
        EXPECT_FALSE(title.isEmpty() || title.contains(QRegularExpression("[A-Za-z]")))
            << name << " titles a column \"" << title.toStdString() << "\"";
    }
}

void ScreenTest::ExpectColumnShown(QTableView& grid, std::string_view title)
{
    const QString wanted = QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()));
    QAbstractItemModel* model = grid.model();
    for (int column = 0; column < model->columnCount(); ++column) {
        if (model->headerData(column, Qt::Horizontal).toString().trimmed() != wanted || grid.isColumnHidden(column))
            continue;
        int left = grid.columnViewportPosition(column);
        EXPECT_GE(left, 0) << title;
        EXPECT_LE(left + grid.columnWidth(column), grid.viewport()->width())
            << title << " is cut off in " << grid.objectName().toStdString();
        EXPECT_GE(grid.columnWidth(column), grid.horizontalHeader()->sectionSizeHint(column))
            << title << " is narrower than its title";
        return;
    }
    ADD_FAILURE() << grid.objectName().toStdString() << " shows no column " << title;
}

QStringList ScreenTest::DrawnTexts(QGraphicsView& view)
{
    QStringList texts;
    if (!view.scene()) return texts;
    for (QGraphicsItem* item : view.scene()->items(Qt::AscendingOrder)) {
        if (!item->isVisible()) continue;
        if (auto* text = dynamic_cast<QGraphicsTextItem*>(item))
            texts << text->toPlainText();
        else if (auto* simple = dynamic_cast<QGraphicsSimpleTextItem*>(item))
            texts << simple->text();
    }
    return texts;
}

void ScreenTest::Screenshot(QWidget& screen, std::string_view name)
{
    const char* folder = std::getenv("MFG_SCREENSHOT_DIR");
    if (!folder || !*folder) return;
    QCoreApplication::processEvents();  // the grids fit their columns to the rows just filled in
    screen.grab().save(
        QString("%1/%2.png").arg(folder, QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))));
}

}  // namespace mfg::test
