#include "host/Dialogs.h"

#include "host/Host.h"

namespace mfg {

void ShowInformation(std::string_view text) { CurrentHost().GetDialogs().ShowInformation(text); }

void ShowWarning(std::string_view text) { CurrentHost().GetDialogs().ShowWarning(text); }

void ShowError(std::string_view text) { CurrentHost().GetDialogs().ShowError(text); }

void ShowError(const std::exception& error) { CurrentHost().GetDialogs().ShowError(error); }

int ShowYesNoQuestion(std::string_view text) { return CurrentHost().GetDialogs().ShowYesNoQuestion(text); }

int ShowYesNoCancelQuestion(std::string_view text) { return CurrentHost().GetDialogs().ShowYesNoCancelQuestion(text); }

int ShowMessageBox(std::string_view text, std::string_view title, MessageButtons buttons, MessageIcon icon)
{
    return CurrentHost().GetDialogs().ShowMessageBox(text, title, buttons, icon);
}

}  // namespace mfg
