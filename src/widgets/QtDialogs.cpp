#include "QtDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace mfg {
namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

// The box is built by hand so the buttons read in Chinese whatever translation Qt carries, and
// so each button answers with the number the module expects rather than a Qt button code.
int RunBox(std::string_view text, std::string_view title, MessageButtons buttons, MessageIcon icon)
{
    QMessageBox box(BoxIcon(icon), ToQString(title), ToQString(text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    struct Choice {
        const char* caption;
        QMessageBox::ButtonRole role;
        int answer;
    };
    std::vector<Choice> choices;
    switch (buttons) {
    case MessageButtons::Ok: choices = {{"确定", QMessageBox::AcceptRole, AnswerOk}}; break;
    case MessageButtons::YesNo:
        choices = {{"是", QMessageBox::YesRole, AnswerYes}, {"否", QMessageBox::NoRole, AnswerNo}};
        break;
    case MessageButtons::YesNoCancel:
        choices = {{"是", QMessageBox::YesRole, AnswerYes},
                   {"否", QMessageBox::NoRole, AnswerNo},
                   {"取消", QMessageBox::RejectRole, AnswerCancel}};
        break;
    }
    std::vector<QPushButton*> pushButtons;
    for (const auto& choice : choices) pushButtons.push_back(box.addButton(QString::fromUtf8(choice.caption), choice.role));
    box.setDefaultButton(pushButtons.front());
    // Closing the box with its title bar or Escape means the least committing answer.
    box.setEscapeButton(pushButtons.back());
    box.exec();
    for (size_t i = 0; i < pushButtons.size(); ++i)
        if (box.clickedButton() == pushButtons[i]) return choices[i].answer;
    return choices.back().answer;
}

}  // namespace

void QtDialogs::ShowInformation(std::string_view text) { RunBox(text, "提示", MessageButtons::Ok, MessageIcon::Information); }

void QtDialogs::ShowWarning(std::string_view text) { RunBox(text, "警告", MessageButtons::Ok, MessageIcon::Warning); }

void QtDialogs::ShowError(std::string_view text) { RunBox(text, "错误", MessageButtons::Ok, MessageIcon::Error); }

int QtDialogs::ShowYesNoQuestion(std::string_view text)
{
    return RunBox(text, "询问", MessageButtons::YesNo, MessageIcon::Question);
}

int QtDialogs::ShowYesNoCancelQuestion(std::string_view text)
{
    return RunBox(text, "询问", MessageButtons::YesNoCancel, MessageIcon::Question);
}

int QtDialogs::ShowMessageBox(std::string_view text, std::string_view title, MessageButtons buttons, MessageIcon icon)
{
    return RunBox(text, title, buttons, icon);
}

}  // namespace mfg
