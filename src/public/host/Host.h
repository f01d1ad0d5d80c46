#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "data/DataSet.h"
#include "db/Connection.h"
#include "host/Dialogs.h"
#include "host/LookupCache.h"
#include "types/DateTime.h"
#include "types/Variant.h"

namespace mfg {

//! Decimals of quantities, prices and amounts, from the system parameters QuantityDecimals,
//! PriceDecimals and AmountDecimals.
struct Decimals {
    int quantity = 4;
    int price = 4;
    int amount = 2;
};

//! The session of the host application: the connection (StartupDB.DBStartup), the logged-in user
//! and branch, the directories, the message services, the clock, the look-up caches (LookupDB)
//! and system parameters, and the SQL services the module calls.
//!
//! The module reaches the host through CurrentHost(): the host application makes its Host current
//! after login (SetCurrentHost), and the module's free functions (ShowError, LookupData,
//! CreateAutoQuery, ...) go to it. Tests make their own Host current with CurrentHostScope.
class Host {
public:
    //! Takes the session's connection. Messages go to ConsoleDialogs until SetDialogs; the clock is
    //! the connection's until SetClock or SetToday. The temporary folder is the user's own
    //! "mfg-<uid>" of the system's; throws std::runtime_error when that is a link or another user's.
    explicit Host(std::unique_ptr<Connection> connection);
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // ---- connection and SQL ----------------------------------------------------------------

    //! StartupDB.DBStartup: the connection of every query, dataset and transaction of the session.
    Connection& DBStartup() { return *connection; }

    //! A query over the host connection, owned by the caller; opened when `open` is set, else
    //! ready for parameters and DataSet::Open(DBStartup()).
    std::unique_ptr<DataSet> CreateAutoQuery(std::string sql, bool open, const Params& params = {});
    //! Runs a batch in a transaction of its own (a savepoint inside the caller's); raises DbError on
    //! failure with nothing of the batch kept. Returns the rows changed by its last data statement.
    std::int64_t SqlExecute(std::string_view sql, const Params& params = {});
    //! Runs a batch without a transaction of its own: statements before a failing one stay unless
    //! the caller's transaction rolls back.
    std::int64_t SqlExecuteNoTran(std::string_view sql, const Params& params = {});
    //! The first column of the first row; `defaultValue` when there is no row or the value is null.
    Variant GetValueOfSql(std::string_view sql, const Variant& defaultValue = {}, const Params& params = {});
    //! Starts a transaction on the host connection; nested calls open savepoints.
    void BeginTran() { connection->BeginTran(); }
    void CommitTran() { connection->CommitTran(); }
    void RollbackTran() { connection->RollbackTran(); }
    bool InTransaction() const { return connection->TransactionDepth() > 0; }

    // ---- session ---------------------------------------------------------------------------

    //! g_iShopID: the branch the user works in.
    int ShopID() const { return shopID; }
    void SetShopID(int value) { shopID = value; }
    //! g_iUserID: the operator (m_operator.OPID) logged in.
    int UserID() const { return userID; }
    //! g_asUserName: the operator's name as prints and logs show it.
    const std::string& UserName() const { return userName; }
    void SetUser(int id, std::string name);
    //! g_asTempDirectory: the folder for temporary files, ending in '/' so that names append to it.
    const std::string& TempDirectory() const { return tempDirectory; }
    //! Sets the temporary folder, creating it when missing; it is made the user's own (mode 0700),
    //! and one that is a link or another user's is refused with std::runtime_error.
    void SetTempDirectory(const std::filesystem::path& folder);
    //! g_asCurrDirectory: the folder of the user's settings ("System.ini"), ending in '/'.
    const std::string& CurrDirectory() const { return currDirectory; }
    void SetCurrDirectory(const std::filesystem::path& folder);
    //! The settings file "System.ini" of the current directory.
    std::filesystem::path SystemIniPath() const { return std::filesystem::path(currDirectory) / "System.ini"; }

    // ---- messages --------------------------------------------------------------------------

    //! The message services in use.
    Dialogs& GetDialogs() { return *dialogs; }
    //! Replaces the message services; returns them for the caller (a test keeps its ScriptedDialogs).
    template <typename T>
    T& SetDialogs(std::unique_ptr<T> replacement)
    {
        T& result = *replacement;
        dialogs = std::move(replacement);
        return result;
    }

    // ---- clock -----------------------------------------------------------------------------

    //! The source of now for GetSystemTime and for getdate() in the session's SQL; empty: the machine.
    void SetClock(Clock clock);
    //! Fixes now at `today` (a date alone reads as midnight), for tests and `mfg --today DATE`.
    void SetToday(DateTime today);
    //! The server's date and time through the clock.
    DateTime GetSystemTime() { return connection->ServerTime(); }

    // ---- caches, parameters, periods, log --------------------------------------------------

    //! The look-up caches of the session.
    LookupCache& LookupDB() { return *lookups; }
    //! The text of a system parameter (L_SysParam); empty when there is none. Read each call.
    std::string LookupSysParam(std::string_view name);
    //! The decimals of FormatQuantity, FormatPrice and FormatAmount, read once per session (missing or
    //! unreadable parameters give 4, 4 and 2).
    const Decimals& GetDecimals();
    //! Reads the decimals again on next use, after the parameters were changed.
    void RefreshDecimals() { decimalsRead = false; }
    //! The first day of the open posting month: the earliest month of AG_ACCPERIOD not closed; the
    //! month of today when every month is closed or none is set up.
    DateTime GetFirstDayOfPosMonth();
    //! The last day of that month.
    DateTime GetLastDayOfPosMonth();
    //! Writes an operation-log entry (m_oplog) for the current user and branch at the server time;
    //! the module passes 'T', 200 (screen opened) or 201 (closed), 'T', the caption, "", 1, 0.
    void WriteLog(char logType, int eventID, char objType, std::string_view caption, std::string_view memo = {},
                  int flag1 = 1, int flag2 = 0);
    //! True when the database has the upgrade `version` ("3.40") or a later one (AG_VERSION): a
    //! database set up fresh at a later version records only that version.
    bool HadUpgradeTo(std::string_view version);

private:
    std::pair<DateTime, DateTime> PostingMonth();

    std::unique_ptr<Connection> connection;
    std::unique_ptr<Dialogs> dialogs;
    std::unique_ptr<LookupCache> lookups;
    int shopID = 0;
    int userID = 0;
    std::string userName;
    std::string tempDirectory;
    std::string currDirectory;
    Decimals decimals;
    bool decimalsRead = false;
};

//! The host of the running session; throws std::logic_error when no host was made current.
Host& CurrentHost();
//! True when a host is current.
bool HasCurrentHost();
//! Makes `host` the current one (nullptr: none). The host application calls it once after login;
//! the host must outlive its time as the current one.
void SetCurrentHost(Host* host);

//! Makes a host current for a scope and restores the one before it on exit (tests, nested tools).
class CurrentHostScope {
public:
    explicit CurrentHostScope(Host& host);
    ~CurrentHostScope();
    CurrentHostScope(const CurrentHostScope&) = delete;
    CurrentHostScope& operator=(const CurrentHostScope&) = delete;

private:
    Host* previous;
};

//! CreateAutoQuery of the current host.
std::unique_ptr<DataSet> CreateAutoQuery(std::string sql, bool open, const Params& params = {});
//! SqlExecute of the current host.
std::int64_t SqlExecute(std::string_view sql, const Params& params = {});
//! SqlExecuteNoTran of the current host.
std::int64_t SqlExecuteNoTran(std::string_view sql, const Params& params = {});
//! GetValueOfSql of the current host.
Variant GetValueOfSql(std::string_view sql, const Variant& defaultValue = {}, const Params& params = {});
//! BeginTran of the current host.
void BeginTran();
//! CommitTran of the current host.
void CommitTran();
//! RollbackTran of the current host.
void RollbackTran();
//! LookupSysParam of the current host.
std::string LookupSysParam(std::string_view name);
//! GetSystemTime of the current host.
DateTime GetSystemTime();
//! GetFirstDayOfPosMonth of the current host.
DateTime GetFirstDayOfPosMonth();
//! GetLastDayOfPosMonth of the current host.
DateTime GetLastDayOfPosMonth();
//! WriteLog of the current host.
void WriteLog(char logType, int eventID, char objType, std::string_view caption, std::string_view memo = {},
              int flag1 = 1, int flag2 = 0);
//! HadUpgradeTo of the current host.
bool HadUpgradeTo(std::string_view version);

}  // namespace mfg
