#include "host/ConsoleDialogs.h"

#include <unistd.h>

#include <iostream>
#include <string>

#include <fmt/format.h>

#include "types/TextUtil.h"

namespace mfg {
namespace {

std::string_view AnswerText(int answer)
{
    switch (answer) {
    case AnswerYes: return "是";
    case AnswerNo: return "否";
    case AnswerCancel: return "取消";
    default: return "确定";
    }
}

}  // namespace

ConsoleDialogs::ConsoleDialogs(int defaultAnswer)
    : ConsoleDialogs(std::cin, std::cerr, ::isatty(STDIN_FILENO) != 0, defaultAnswer)
{
}

ConsoleDialogs::ConsoleDialogs(std::istream& in, std::ostream& out, bool interactive, int defaultAnswer)
    : in(in), out(out), interactive(interactive), defaultAnswer(defaultAnswer)
{
}

void ConsoleDialogs::ShowInformation(std::string_view text) { Print("[信息]", text); }

void ConsoleDialogs::ShowWarning(std::string_view text) { Print("[警告]", text); }

void ConsoleDialogs::ShowError(std::string_view text) { Print("[错误]", text); }

int ConsoleDialogs::ShowYesNoQuestion(std::string_view text) { return Ask("[询问]", text, false); }

int ConsoleDialogs::ShowYesNoCancelQuestion(std::string_view text) { return Ask("[询问]", text, true); }

int ConsoleDialogs::ShowMessageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                                   MessageIcon icon)
{
    std::string prefix = fmt::format("[{}]", title.empty() ? "提示" : title);
    if (buttons == MessageButtons::Ok) {
        Print(prefix, text);
        return AnswerOk;
    }
    return Ask(prefix, text, buttons == MessageButtons::YesNoCancel);
}

void ConsoleDialogs::Print(std::string_view prefix, std::string_view text)
{
    out << prefix << ' ' << text << '\n';
    out.flush();
}

int ConsoleDialogs::Ask(std::string_view prefix, std::string_view text, bool withCancel)
{
    int fallback = defaultAnswer;
    if (fallback != AnswerYes && fallback != AnswerNo && fallback != AnswerCancel) fallback = AnswerNo;
    if (!withCancel && fallback == AnswerCancel) fallback = AnswerNo;
    std::string_view choices = withCancel ? "(y 是 / n 否 / c 取消)" : "(y 是 / n 否)";
    if (!interactive) {
        out << prefix << ' ' << text << ' ' << choices << " -> " << AnswerText(fallback) << " (非交互运行, 取默认回答)\n";
        out.flush();
        return fallback;
    }
    for (;;) {
        out << prefix << ' ' << text << ' ' << choices << ": ";
        out.flush();
        std::string line;
        if (!std::getline(in, line)) {
            out << "\n输入已结束, 取默认回答: " << AnswerText(fallback) << '\n';
            out.flush();
            return fallback;
        }
        auto reply = ToLowerAscii(Trim(line));
        if (reply == "y" || reply == "yes" || reply == "是") return AnswerYes;
        if (reply == "n" || reply == "no" || reply == "否") return AnswerNo;
        if (withCancel && (reply == "c" || reply == "cancel" || reply == "取消")) return AnswerCancel;
        out << "请回答 " << choices << '\n';
    }
}

}  // namespace mfg
