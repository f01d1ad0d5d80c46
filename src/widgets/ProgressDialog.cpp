#include "ProgressDialog.h"

#include <QCoreApplication>

#include <algorithm>

#include "QtDialogs.h"

namespace mfg {

ProgressDialog::ProgressDialog(const QString& title, QWidget* parent) : QProgressDialog(parent)
{
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    setRange(0, 1000);
    setMinimumDuration(400);
    setCancelButton(nullptr);  // the cores run to the end; a half-done plan is worth nothing
    setAutoClose(true);
    setMinimumWidth(360);
}

void ProgressDialog::Report(std::string_view stage, double fraction)
{
    setLabelText(ToQString(stage));
    setValue(static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 1000));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

std::function<void(std::string_view, double)> ProgressDialog::Callback()
{
    return [this](std::string_view stage, double fraction) { Report(stage, fraction); };
}

}  // namespace mfg
