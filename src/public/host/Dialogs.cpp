#include "host/Dialogs.h"

#include <ctime>
#include <fstream>

#include <fmt/format.h>

#include "data/DataSet.h"
#include "db/Connection.h"
#include "host/Host.h"

namespace mfg {
namespace {

//! The statement an error carries, for the log; empty for errors of other kinds.
std::string FailedStatement(const std::exception& error)
{
    if (auto* db = dynamic_cast<const DbError*>(&error)) return db->Statement();
    if (auto* data = dynamic_cast<const DataSetError*>(&error)) return data->Statement();
    return {};
}

//! Appends the statement of a database or dataset failure to "mfg-errors.log" in the host's
//! temporary folder; its path, or empty when the error has no statement or the file cannot be written.
std::string LogFailedStatement(const std::exception& error)
{
    std::string statement = FailedStatement(error);
    if (statement.empty()) return {};
    Host& host = CurrentHost();
    // The statement is longer than an operation-log entry holds, and after a failure inside a
    // transaction the database may take nothing more: it goes to a file beside the temporary files.
    std::string path = host.TempDirectory() + "mfg-errors.log";
    std::ofstream log(path, std::ios::app);
    std::time_t now = std::time(nullptr);
    char stamp[32] = {};
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
    log << stamp << " " << host.UserName() << ": " << error.what() << "\n"
        << statement << "\n\n";
    return log ? path : std::string();
}

}  // namespace

void ShowInformation(std::string_view text) { CurrentHost().GetDialogs().ShowInformation(text); }

void ShowWarning(std::string_view text) { CurrentHost().GetDialogs().ShowWarning(text); }

void ShowError(std::string_view text) { CurrentHost().GetDialogs().ShowError(text); }

void ShowError(const std::exception& error)
{
    std::string logged = LogFailedStatement(error);
    if (logged.empty()) {
        CurrentHost().GetDialogs().ShowError(error);
        return;
    }
    CurrentHost().GetDialogs().ShowError(fmt::format("{}\n(出错的语句已记入 {})", error.what(), logged));
}

int ShowYesNoQuestion(std::string_view text) { return CurrentHost().GetDialogs().ShowYesNoQuestion(text); }

int ShowYesNoCancelQuestion(std::string_view text) { return CurrentHost().GetDialogs().ShowYesNoCancelQuestion(text); }

int ShowMessageBox(std::string_view text, std::string_view title, MessageButtons buttons, MessageIcon icon)
{
    return CurrentHost().GetDialogs().ShowMessageBox(text, title, buttons, icon);
}

}  // namespace mfg
