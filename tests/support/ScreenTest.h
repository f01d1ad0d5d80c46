#pragma once

#include <QApplication>
#include <QGraphicsView>
#include <QStringList>
#include <QTableView>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/HostFixture.h"

namespace mfg {
class LookupCombo;
}

namespace mfg::test {

//! The one QApplication of a screen test program, made by its main (ScreenTestMain.cpp) on the
//! offscreen platform unless the environment names another.
QApplication& TestApplication();

//! A screen test: the demo host of DemoHostTest (scripted dialogs, today fixed, branch 1, user 1)
//! with a QApplication, a temporary folder of its own, and finders of controls by name.
class ScreenTest : public DemoHostTest {
protected:
    //! The host's temporary folder (print templates) is a fresh one of the test's own.
    ScreenTest();
    ~ScreenTest() override;

    //! The child of `parent` with that objectName and type; fails the test when there is none.
    template <typename T>
    static T& Control(QWidget& parent, std::string_view name)
    {
        T* found = parent.findChild<T*>(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
        if (!found) throw std::logic_error("no control " + std::string(name));
        return *found;
    }
    //! The top-level window of that objectName that is shown, or none.
    static QWidget* ShownWindow(std::string_view name);
    //! Runs `action` once on the window of that objectName as soon as it is shown, for dialogs a
    //! click opens modally; a window never shown by the end of the test fails it.
    void WhenShown(std::string_view name, std::function<void(QWidget&)> action);
    //! Runs the events posted so far (deferred deletes included).
    static void ProcessEvents();

    //! Shows `form` at the size it opens at, as a window of its own, and fails unless that size
    //! fits a 1366×768 desktop (beside the main window's menu, tool and status bars).
    static void ShowAtDefaultSize(QWidget& form);
    //! Fails unless `control` is shown and lies wholly inside `form`.
    static void ExpectInside(QWidget& form, QWidget& control);
    //! Fails unless the window (a dialog, a drop-down) is shown and lies wholly, frame included,
    //! inside the available area of the test desktop, a 1366×768 screen.
    static void ExpectOnScreen(QWidget& window);
    //! Fails unless the look-up's list is dropped down and lies on the test desktop with its
    //! buttons, under titles the user reads (Chinese, never field names).
    static void ExpectListOnScreen(LookupCombo& combo);
    //! Fails unless the column titled `title` lies wholly inside the grid's visible cells and is
    //! wide enough for its title.
    static void ExpectColumnShown(QTableView& grid, std::string_view title);
    //! The texts a graphics view draws (a chart's titles, axis labels and legend), in scene order.
    static QStringList DrawnTexts(QGraphicsView& view);
    //! With MFG_SCREENSHOT_DIR set, the screen as the user sees it goes to that folder as `name`.png.
    static void Screenshot(QWidget& screen, std::string_view name);

private:
    struct Poll {
        std::string name;
        std::unique_ptr<QTimer> timer;
    };
    std::vector<Poll> polls;
};

}  // namespace mfg::test
