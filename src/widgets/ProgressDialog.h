#pragma once

#include <QProgressDialog>

#include <functional>
#include <string_view>

namespace mfg {

//! The desktop's view of a long run: a core reports (stage, fraction done) through a callback and
//! the dialog shows the stage and a bar, keeping the window painted while the run blocks it.
class ProgressDialog : public QProgressDialog {
    Q_OBJECT

public:
    //! A modal dialog over `parent` with its title; it shows only when a run lasts.
    explicit ProgressDialog(const QString& title, QWidget* parent = nullptr);

    //! Shows a stage and a fraction from 0 to 1 (clamped).
    void Report(std::string_view stage, double fraction);
    //! A callback for a core's progress parameter, reporting to this dialog.
    std::function<void(std::string_view, double)> Callback();
};

}  // namespace mfg
