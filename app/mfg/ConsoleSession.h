#pragma once
// What every console command shares: the session options, a host over the session's database,
// and the way a command hands its work to main.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "host/Host.h"
#include "host/Users.h"
#include "types/DateTime.h"
#include "types/UserNumber.h"

namespace mfg {

//! Options every command shares: the database, today and the branch.
struct Session {
    std::string url;
    std::string today;
    int shop = 0;      // 0: the operator's own branch
    std::string user;  // code or name; empty: the administrator made by init
};

//! Whether a host proves its operator: every command does, but `login`, which checks another, and
//! the owner's recovery. A command that reads a new password on standard input takes the proof
//! from $MFG_PASSWORD (or a prompt of its own on a terminal), never from that input.
enum class SessionUser { Proven, ProvenWithoutInput, NotLoggedIn };

//! The work of the command that was chosen; it returns the exit code. A subcommand's parse
//! callback sets it, and main runs it once every option, also those after the command, is read.
using CommandRun = std::function<int()>;

//! What a group of commands needs to add itself to the command line.
struct CommandLine {
    CLI::App& app;
    const Session& session;
    CommandRun& run;

    //! Runs `work` when `command` is the one chosen.
    void OnChosen(CLI::App* command, CommandRun work) const
    {
        command->callback([this, work = std::move(work)] { run = work; });
    }
};

//! A date given on the command line; an invalid one is an InputError naming the option.
DateTime ParseDateOption(const std::string& text, const std::string& option);

//! A password from $MFG_PASSWORD, else one line of standard input (not echoed on a terminal);
//! never from the command line, where others can read it.
std::string ReadPassword();
//! A new password for `whose`: one line of standard input, never $MFG_PASSWORD (which proves the
//! operator giving it). On a terminal it is asked twice, hidden; an empty one or two that differ
//! are refused with a UserError.
std::string ReadNewPassword(std::string_view whose);

//! The caption of an argument in messages: what it is, and how it is written on the command line.
std::string ArgumentCaption(std::string_view what, std::string_view option);

//! Adds an option whose number goes through the one parser when the command line is read: text
//! that is no finite number within `range` ends the command, before any work, with an InputError
//! naming `caption`.
CLI::Option* AddNumberOption(CLI::App* command, const std::string& name, std::optional<double>& value,
                             const std::string& caption, NumberRange range, const std::string& description);
//! The same for a whole number within [min, max].
template <class Integer>
CLI::Option* AddIntegerOption(CLI::App* command, const std::string& name, Integer& value, const std::string& caption,
                              std::int64_t min, std::int64_t max, const std::string& description)
{
    return command->add_option_function<std::string>(
        name, [&value, caption, min, max](const std::string& text) {
            value = static_cast<Integer>(ParseUserInteger(text, caption, min, max));
        },
        description);
}
//! The same for an option given several times, each a whole number within [min, max].
CLI::Option* AddIntegerListOption(CLI::App* command, const std::string& name, std::vector<int>& values,
                                  const std::string& caption, int min, int max, const std::string& description);

//! A host over the session's database, current while it lives, with its today fixed and the
//! session's operator logged in, in a branch the desktop's login would offer: one who has a
//! password proves it, only one without a password yet acts without. Throws for a database that
//! was never initialised, for a failed proof (an unknown, a closed or a locked operator and a wrong
//! password read alike) and for a branch the operator may not work in.
class ConsoleHost {
public:
    explicit ConsoleHost(const Session& session, SessionUser who = SessionUser::Proven);
    ~ConsoleHost();
    ConsoleHost(const ConsoleHost&) = delete;
    ConsoleHost& operator=(const ConsoleHost&) = delete;

    //! True when the operator holds the right; otherwise the host names the missing right.
    bool Permitted(int number, PrivKind kind) { return HasNewPrivilege2(number, static_cast<int>(kind), true); }

    Host host;
    CurrentHostScope scope;
    Users users;

private:
    void LogIn(const Session& session, SessionUser who);
};

//! The groups of commands; each lives in its own file.
void AddCoreCommands(const CommandLine& line);
void AddCalendarCommands(const CommandLine& line);
void AddBomCommands(const CommandLine& line);
void AddMpsCommands(const CommandLine& line);
void AddCostingCommands(const CommandLine& line);
void AddCapacityCommands(const CommandLine& line);
void AddMrpCommands(const CommandLine& line);
void AddCheckCommands(const CommandLine& line);

}  // namespace mfg
