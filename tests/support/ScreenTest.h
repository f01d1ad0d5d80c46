#pragma once

#include <QApplication>
#include <QWidget>

#include <string_view>

#include "host/HostFixture.h"

namespace mfg::test {

//! The one QApplication of a screen test program, made by its main (ScreenTestMain.cpp) on the
//! offscreen platform unless the environment names another.
QApplication& TestApplication();

//! A screen test: the demo host of DemoHostTest (scripted dialogs, today fixed, branch 1, user 1)
//! with a QApplication, and finders of controls by name.
class ScreenTest : public DemoHostTest {
protected:
    //! The child of `parent` with that objectName and type; fails the test when there is none.
    template <typename T>
    static T& Control(QWidget& parent, std::string_view name)
    {
        T* found = parent.findChild<T*>(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
        if (!found) throw std::logic_error("no control " + std::string(name));
        return *found;
    }
    //! Runs the events posted so far (deferred deletes included).
    static void ProcessEvents();
};

}  // namespace mfg::test
