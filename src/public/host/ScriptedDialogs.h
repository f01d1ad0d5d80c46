#pragma once

#include <deque>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/Dialogs.h"

namespace mfg {

//! What kind of message was shown.
enum class MessageKind { Information, Warning, Error, YesNoQuestion, YesNoCancelQuestion, MessageBox };

//! One message as a Dialogs implementation was asked to show it.
struct ShownMessage {
    MessageKind kind = MessageKind::Information;
    std::string text;
    std::string title;  //!< the title of a plain box; empty for the other kinds
    int answer = 0;     //!< the answer given; 0 for notes
};

//! A question reached ScriptedDialogs with no answer queued for it, or with an answer its buttons
//! cannot give: the test did not expect the question.
class UnscriptedQuestion : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

//! Dialogs for tests: answers come from a queue in order, and every message is recorded with its
//! kind so the test can read back what the user would have seen.
class ScriptedDialogs : public Dialogs {
public:
    using Dialogs::ShowError;

    //! Queues the answers of the coming questions (6 yes, 7 no, 2 cancel), after those queued before.
    ScriptedDialogs& Answer(std::initializer_list<int> answers);
    //! Answers not used yet.
    size_t PendingAnswers() const { return answers.size(); }

    //! Every message in the order shown.
    const std::vector<ShownMessage>& Messages() const { return messages; }
    //! The texts shown, all kinds.
    std::vector<std::string> Texts() const;
    //! The texts shown of one kind.
    std::vector<std::string> Texts(MessageKind kind) const;
    //! True when some message had exactly this text.
    bool WasShown(std::string_view text) const;
    //! Forgets the messages and the pending answers.
    void Clear();

    void ShowInformation(std::string_view text) override;
    void ShowWarning(std::string_view text) override;
    void ShowError(std::string_view text) override;
    int ShowYesNoQuestion(std::string_view text) override;
    int ShowYesNoCancelQuestion(std::string_view text) override;
    int ShowMessageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                       MessageIcon icon) override;

private:
    int Ask(MessageKind kind, std::string_view text, std::string_view title, MessageButtons buttons);

    std::deque<int> answers;
    std::vector<ShownMessage> messages;
};

}  // namespace mfg
