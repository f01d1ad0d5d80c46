#pragma once

#include <iosfwd>
#include <string_view>

#include "host/Dialogs.h"

namespace mfg {

//! Dialogs of the console host: every message goes to the error stream with a prefix per kind
//! ("[信息]", "[警告]", "[错误]", "[询问]", or the box's title). Questions are read as y/n/c from
//! the input when it is a terminal; otherwise the configured default answers, and the output says
//! so, so a script never hangs on a question.
class ConsoleDialogs : public Dialogs {
public:
    using Dialogs::ShowError;

    //! Standard input and standard error; interactive when standard input is a terminal.
    explicit ConsoleDialogs(int defaultAnswer = AnswerNo);
    //! Other streams, for tests and for hosts that redirect.
    ConsoleDialogs(std::istream& in, std::ostream& out, bool interactive, int defaultAnswer = AnswerNo);

    //! The answer of a question that nobody can answer (6, 7 or 2; 2 reads as 7 for a yes/no question).
    void SetDefaultAnswer(int answer) { defaultAnswer = answer; }
    int DefaultAnswer() const { return defaultAnswer; }
    bool Interactive() const { return interactive; }

    void ShowInformation(std::string_view text) override;
    void ShowWarning(std::string_view text) override;
    void ShowError(std::string_view text) override;
    int ShowYesNoQuestion(std::string_view text) override;
    int ShowYesNoCancelQuestion(std::string_view text) override;
    int ShowMessageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                       MessageIcon icon) override;

private:
    void Print(std::string_view prefix, std::string_view text);
    int Ask(std::string_view prefix, std::string_view text, bool withCancel);

    std::istream& in;
    std::ostream& out;
    bool interactive;
    int defaultAnswer;
};

}  // namespace mfg
