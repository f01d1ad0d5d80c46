#include "host/ScriptedDialogs.h"

#include <algorithm>

#include <fmt/format.h>

namespace mfg {
namespace {

bool ButtonsGive(MessageButtons buttons, int answer)
{
    switch (buttons) {
    case MessageButtons::Ok: return answer == AnswerOk;
    case MessageButtons::YesNo: return answer == AnswerYes || answer == AnswerNo;
    case MessageButtons::YesNoCancel: return answer == AnswerYes || answer == AnswerNo || answer == AnswerCancel;
    }
    return false;
}

}  // namespace

ScriptedDialogs& ScriptedDialogs::Answer(std::initializer_list<int> values)
{
    answers.insert(answers.end(), values.begin(), values.end());
    return *this;
}

std::vector<std::string> ScriptedDialogs::Texts() const
{
    std::vector<std::string> texts;
    for (const auto& message : messages) texts.push_back(message.text);
    return texts;
}

std::vector<std::string> ScriptedDialogs::Texts(MessageKind kind) const
{
    std::vector<std::string> texts;
    for (const auto& message : messages)
        if (message.kind == kind) texts.push_back(message.text);
    return texts;
}

bool ScriptedDialogs::WasShown(std::string_view text) const
{
    return std::any_of(messages.begin(), messages.end(), [&](const ShownMessage& m) { return m.text == text; });
}

void ScriptedDialogs::Clear()
{
    answers.clear();
    messages.clear();
}

void ScriptedDialogs::ShowInformation(std::string_view text)
{
    messages.push_back({MessageKind::Information, std::string(text), {}, 0});
}

void ScriptedDialogs::ShowWarning(std::string_view text)
{
    messages.push_back({MessageKind::Warning, std::string(text), {}, 0});
}

void ScriptedDialogs::ShowError(std::string_view text)
{
    messages.push_back({MessageKind::Error, std::string(text), {}, 0});
}

int ScriptedDialogs::ShowYesNoQuestion(std::string_view text)
{
    return Ask(MessageKind::YesNoQuestion, text, {}, MessageButtons::YesNo);
}

int ScriptedDialogs::ShowYesNoCancelQuestion(std::string_view text)
{
    return Ask(MessageKind::YesNoCancelQuestion, text, {}, MessageButtons::YesNoCancel);
}

int ScriptedDialogs::ShowMessageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                                    MessageIcon icon)
{
    // An Ok box asks nothing, so it takes no answer from the queue.
    if (buttons == MessageButtons::Ok) {
        messages.push_back({MessageKind::MessageBox, std::string(text), std::string(title), AnswerOk});
        return AnswerOk;
    }
    return Ask(MessageKind::MessageBox, text, title, buttons);
}

int ScriptedDialogs::Ask(MessageKind kind, std::string_view text, std::string_view title, MessageButtons buttons)
{
    messages.push_back({kind, std::string(text), std::string(title), 0});
    if (answers.empty()) throw UnscriptedQuestion(fmt::format("没有为此问题准备回答: {}", text));
    int answer = answers.front();
    if (!ButtonsGive(buttons, answer))
        throw UnscriptedQuestion(fmt::format("回答 {} 不是此问题的按钮: {}", answer, text));
    answers.pop_front();
    messages.back().answer = answer;
    return answer;
}

}  // namespace mfg
