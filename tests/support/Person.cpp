#include "Person.h"

#include <QApplication>
#include <QPointer>
#include <QTableView>
#include <QTest>
#include <QWindow>

#include <stdexcept>
#include <string>

namespace mfg::test {
namespace {

//! What a person's last step set going (a queued commit, a deferred layout) happens before the next.
void Settle()
{
    QCoreApplication::processEvents();
}

//! The window in front: a modal one above all, else the active one, else the one shown last.
QWidget* FrontWindow()
{
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    const QWindowList windows = QGuiApplication::topLevelWindows();
    for (auto window = windows.rbegin(); window != windows.rend(); ++window) {
        if (!(*window)->isVisible() || (*window)->type() == Qt::Popup || (*window)->type() == Qt::ToolTip) continue;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->windowHandle() == *window) return widget;
    }
    return nullptr;
}

//! Makes `window` the active one, as the window manager does with a window a person turns to.
void Activate(QWidget& window)
{
    if (window.isActiveWindow()) return;
    window.activateWindow();
    Settle();
}

//! The widget a key goes to: an open pop-up's focus, else the application's focus widget.
QWidget* KeyReceiver()
{
    if (QWidget* grabber = QWidget::keyboardGrabber()) return grabber;
    if (QWidget* popup = QApplication::activePopupWidget()) return popup->focusWidget() ? popup->focusWidget() : popup;
    if (QWidget* focus = QApplication::focusWidget()) return focus;
    QWidget* window = FrontWindow();
    if (!window) throw std::logic_error("no window is shown to take the keys");
    Activate(*window);
    if (QWidget* focus = QApplication::focusWidget()) return focus;
    return window;
}

//! The widget on top at `global`: inside an open pop-up, else in the windows as they are stacked.
QWidget* WidgetOnTop(QWidget& reference, QPoint global)
{
    if (QWidget* popup = QApplication::activePopupWidget()) {
        if (popup->geometry().contains(global)) {
            QWidget* inside = popup->childAt(popup->mapFromGlobal(global));
            return inside ? inside : popup;
        }
        // A click beside a pop-up closes it.
        popup->close();
        Settle();
    }
    QWidget* window = reference.window();
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == window) Activate(*window);
    QWidget* found = QApplication::widgetAt(global);
    if (found && found->window() == window) return found;
    // Where the platform stacks no windows, the reference's own window decides.
    QWidget* inside = window->childAt(window->mapFromGlobal(global));
    return inside ? inside : window;
}

}  // namespace

void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(KeyReceiver(), key, modifiers);
    Settle();
}

void TypeText(std::string_view text)
{
    for (QChar c : QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))) {
        if (c.unicode() < 128)
            QTest::keyClick(KeyReceiver(), c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, KeyReceiver(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        Settle();
    }
}

void ClickAt(QWidget& reference, QPoint local, Qt::MouseButton button, bool doubleClick)
{
    Settle();  // a person clicks what is on the screen: the layout of a page just shown comes first
    const QPoint global = reference.mapToGlobal(local);
    QPointer<QWidget> target = WidgetOnTop(reference, global);
    QTest::mouseClick(target, button, {}, target->mapFromGlobal(global));
    Settle();
    if (!doubleClick) return;
    // The second press goes to whatever the first one put there (an editor, say).
    target = WidgetOnTop(reference, global);
    QTest::mouseDClick(target, button, {}, target->mapFromGlobal(global));
    if (target) QTest::mouseRelease(target, button, {}, target->mapFromGlobal(global));
    Settle();
}

void ClickCellOnScreen(DbGrid& grid, int row, std::string_view field, Qt::MouseButton button, bool doubleClick)
{
    int column = grid.Model().ColumnIndexOf(field);
    if (column < 0) throw std::logic_error("the grid has no column " + std::string(field));
    Settle();
    QModelIndex index = grid.Model().index(row, column);
    QTableView* view = &grid;
    if (column < grid.FrozenColumns())
        view = grid.findChild<QTableView*>(QString(), Qt::FindDirectChildrenOnly);
    else
        static_cast<QAbstractItemView&>(grid).scrollTo(index);
    ClickAt(*view->viewport(), view->visualRect(index).center(), button, doubleClick);
}

}  // namespace mfg::test
