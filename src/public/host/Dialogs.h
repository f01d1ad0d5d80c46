#pragma once

#include <exception>
#include <string_view>

namespace mfg {

//! Answers of the message services, the numbers the module compares against.
inline constexpr int AnswerOk = 1;
inline constexpr int AnswerCancel = 2;
inline constexpr int AnswerYes = 6;
inline constexpr int AnswerNo = 7;

//! The buttons of a plain message box.
enum class MessageButtons { Ok, YesNo, YesNoCancel };

//! The icon of a plain message box.
enum class MessageIcon { None, Information, Warning, Error, Question };

//! The host's message services. Every message of the module goes through the Dialogs of the
//! current host, so the desktop shows boxes, the console prints and tests script the answers.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    //! A modal note, information icon.
    virtual void ShowInformation(std::string_view text) = 0;
    //! A modal note, warning icon.
    virtual void ShowWarning(std::string_view text) = 0;
    //! A modal note, error icon.
    virtual void ShowError(std::string_view text) = 0;
    //! The message of a caught exception, error icon.
    void ShowError(const std::exception& error) { ShowError(std::string_view(error.what())); }
    //! Asks; AnswerYes (6) or AnswerNo (7).
    virtual int ShowYesNoQuestion(std::string_view text) = 0;
    //! Asks; AnswerYes (6), AnswerNo (7) or AnswerCancel (2).
    virtual int ShowYesNoCancelQuestion(std::string_view text) = 0;
    //! A plain box with its own title (the screens use "提示"); AnswerOk for an Ok box.
    virtual int ShowMessageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                               MessageIcon icon) = 0;
};

//! ShowInformation of the current host's Dialogs.
void ShowInformation(std::string_view text);
//! ShowWarning of the current host's Dialogs.
void ShowWarning(std::string_view text);
//! ShowError of the current host's Dialogs.
void ShowError(std::string_view text);
//! ShowError of the current host's Dialogs with an exception's message.
void ShowError(const std::exception& error);
//! ShowYesNoQuestion of the current host's Dialogs: 6 or 7.
int ShowYesNoQuestion(std::string_view text);
//! ShowYesNoCancelQuestion of the current host's Dialogs: 6, 7 or 2.
int ShowYesNoCancelQuestion(std::string_view text);
//! A plain box of the current host's Dialogs, titled "提示" unless told otherwise.
int ShowMessageBox(std::string_view text, std::string_view title = "提示", MessageButtons buttons = MessageButtons::Ok,
                   MessageIcon icon = MessageIcon::Information);

}  // namespace mfg
