#include "ScreenHost.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace mfg {
namespace {

ScreenPlacement& Placement()
{
    static ScreenPlacement placement;
    return placement;
}

QRect AvailableArea(const QPoint& at)
{
    QScreen* screen = QGuiApplication::screenAt(at);
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

//! What the window manager adds around a window: known once it has been shown, otherwise a title
//! bar and thin borders as the style draws them.
QMargins FrameOf(const QWidget& window)
{
    QRect frame = window.frameGeometry();
    QRect inner = window.geometry();
    if (window.testAttribute(Qt::WA_WState_Created) && frame != inner)
        return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                frame.bottom() - inner.bottom()};
    int border = window.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &window);
    int title = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    return {border, title + border, border, border};
}

//! `wanted` moved, and shrunk where larger, until it lies inside `area`.
QRect Inside(QRect wanted, const QRect& area)
{
    wanted.setWidth(std::min(wanted.width(), area.width()));
    wanted.setHeight(std::min(wanted.height(), area.height()));
    wanted.moveLeft(std::clamp(wanted.left(), area.left(), area.right() - wanted.width() + 1));
    wanted.moveTop(std::clamp(wanted.top(), area.top(), area.bottom() - wanted.height() + 1));
    return wanted;
}

}  // namespace

void SetScreenPlacement(ScreenPlacement placement)
{
    Placement() = std::move(placement);
}

void PlaceScreen(QWidget* screen)
{
    if (Placement())
        Placement()(screen);
    else
        screen->show();
}

void PlaceDialog(QWidget& dialog)
{
    QWidget* owner = dialog.parentWidget() ? dialog.parentWidget()->window() : QApplication::activeWindow();
    if (owner == &dialog) owner = nullptr;
    QPoint centre = owner ? owner->frameGeometry().center() : AvailableArea(QCursor::pos()).center();
    QRect area = AvailableArea(centre);
    if (area.isEmpty()) return;
    QMargins frame = FrameOf(dialog);
    QRect framed(QPoint(0, 0), dialog.size().grownBy(frame));
    framed.moveCenter(centre);
    framed = Inside(framed, area);
    dialog.resize(std::max(dialog.minimumWidth(), framed.width() - frame.left() - frame.right()),
                  std::max(dialog.minimumHeight(), framed.height() - frame.top() - frame.bottom()));
    dialog.move(framed.topLeft());
}

void PlacePopup(QWidget& popup, const QRect& anchor)
{
    QRect area = AvailableArea(anchor.center());
    if (area.isEmpty()) return;
    QRect wanted(anchor.bottomLeft() + QPoint(0, 1), popup.size());
    int below = area.bottom() - anchor.bottom();
    int above = anchor.top() - area.top();
    if (wanted.height() > below && above > below) {
        wanted.setHeight(std::min(wanted.height(), above));
        wanted.moveBottom(anchor.top() - 1);
    } else {
        wanted.setHeight(std::min(wanted.height(), below));
    }
    popup.setGeometry(Inside(wanted, area));
}

}  // namespace mfg
