#pragma once

#include <QString>

#include "host/Dialogs.h"

class QWidget;

namespace mfg {

//! The desktop's message services: modal boxes with Chinese buttons (是/否/取消, 确定) over the
//! active window, answering with the numbers the module compares against (6, 7, 2, 1).
class QtDialogs : public Dialogs {
public:
    using Dialogs::ShowError;

    void ShowInformation(std::string_view text) override;
    void ShowWarning(std::string_view text) override;
    void ShowError(std::string_view text) override;
    int ShowYesNoQuestion(std::string_view text) override;
    int ShowYesNoCancelQuestion(std::string_view text) override;
    int ShowMessageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                       MessageIcon icon) override;
};

//! A std::string_view of UTF-8 as a QString.
inline QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
//! A QString as UTF-8.
inline std::string ToStdString(const QString& text) { return text.toStdString(); }

}  // namespace mfg
