#pragma once

#include <QApplication>

namespace mfg {

//! The application of the desktop and of the screen tests: an exception that leaves an event
//! handler (a slip in a field, a failed statement) is shown with ShowError and the event loop goes
//! on, so the program and its open screens stay; Qt itself cannot carry an exception through.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace mfg
