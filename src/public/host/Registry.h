#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mfg {

//! A screen as the host opens it, whatever toolkit draws it. The desktop host's screens wrap their
//! widget; a console host may register screens that print and answer "cancel".
class Screen {
public:
    virtual ~Screen() = default;
    //! Opens the screen without waiting (an MDI child in the desktop host). Its window then lives
    //! on its own and frees itself when closed, so the handle may be dropped after Show.
    virtual void Show() = 0;
    //! Runs the screen modally and returns its result (1 ok, 2 cancel).
    virtual int ShowModal() = 0;
    //! Delivers a window message to the screen (the module sends 0x0B84 to a screen it just opened);
    //! a screen that has no use for it ignores it.
    virtual void Perform(unsigned message, std::intptr_t wParam, std::intptr_t lParam) {}
};

//! Makes a new screen each time it is called.
using ScreenFactory = std::function<std::unique_ptr<Screen>()>;

//! A command bound with RegistFunction: (registered name, argument, the host's parameter block),
//! returning the command's result.
using HostFunction = std::function<std::int32_t(std::string_view name, std::string_view argument, void* params)>;

//! Answers whether the current user holds privilege `number` of `kind`.
using PrivilegeCheck = std::function<bool(int number, int kind)>;

//! One registered screen, as a menu lists it.
struct ScreenEntry {
    std::string name;       //!< the registry name ("GoodsBomForm")
    std::string className;  //!< the screen class ("TGoodsBomForm"); the name when none was given
    int privilege = 0;
    std::string module;  //!< the module that registered it; empty for the host's own
};

//! The host's screen and function registries. Names compare without regard to ASCII case and keep
//! the order of registration, which is the order the menus show. Registering a name again replaces
//! the entry in its place.
//!
//! A loadable module registers while the host holds a ModuleScope for it; the host calls
//! UnregisterModule before unloading the library, so that no factory or callback points into code
//! that is gone.
class Registry {
public:
    //! Checks privileges with HasNewPrivilege2 of the current host (a refusal tells the user).
    Registry();
    //! Checks privileges with `check` (tests, hosts with their own rules).
    explicit Registry(PrivilegeCheck check);

    //! Registers a screen under a privilege number; throws std::invalid_argument for an empty name
    //! or factory.
    void RegisterPrivilegedForm(std::string name, int privilege, ScreenFactory factory, std::string className = {});
    //! A new screen of that name when the user holds the privilege of `kind`; null when the name is
    //! not registered or the privilege is refused.
    std::unique_ptr<Screen> GetPrivilegedForm(std::string_view name, int kind);
    //! The privilege number of a screen by class name (or registry name); none when unknown.
    std::optional<int> GetPrivilegedFormID(std::string_view className) const;
    //! True when a screen of that name is registered.
    bool HasForm(std::string_view name) const;
    //! Removes a screen; false when it was not registered.
    bool UnregisterPrivilegedForm(std::string_view name);
    //! The registered screens in order.
    std::vector<ScreenEntry> Forms() const;

    //! Binds a command name to a callback; throws std::invalid_argument for an empty name or callback.
    void RegistFunction(std::string name, HostFunction function);
    //! True when a command of that name is registered.
    bool HasFunction(std::string_view name) const;
    //! Calls the command with its registered name; none when it is not registered.
    std::optional<std::int32_t> CallFunction(std::string_view name, std::string_view argument = {},
                                             void* params = nullptr) const;
    //! Removes a command; false when it was not registered.
    bool UnregisterFunction(std::string_view name);
    //! The registered command names in order.
    std::vector<std::string> FunctionNames() const;

    //! Removes every screen and command the module registered.
    void UnregisterModule(std::string_view module);
    //! Removes everything.
    void Clear();

    //! Tags what is registered while it lives with the module's name; on exit the outer tag returns.
    class ModuleScope {
    public:
        ModuleScope(Registry& registry, std::string module);
        ~ModuleScope();
        ModuleScope(const ModuleScope&) = delete;
        ModuleScope& operator=(const ModuleScope&) = delete;

    private:
        Registry& registry;
        std::string previous;
    };

private:
    struct FormEntry {
        ScreenEntry entry;
        ScreenFactory factory;
    };
    struct FunctionEntry {
        std::string name;
        HostFunction function;
        std::string module;
    };

    const FormEntry* FindForm(std::string_view name) const;
    const FunctionEntry* FindFunction(std::string_view name) const;

    PrivilegeCheck check;
    std::vector<FormEntry> forms;
    std::vector<FunctionEntry> functions;
    std::string loadingModule;
};

//! The registries of the running host application, shared by every module it loads.
Registry& HostRegistry();

//! RegisterPrivilegedForm of the host registry.
void RegisterPrivilegedForm(std::string name, int privilege, ScreenFactory factory, std::string className = {});
//! GetPrivilegedForm of the host registry.
std::unique_ptr<Screen> GetPrivilegedForm(std::string_view name, int kind);
//! GetPrivilegedFormID of the host registry.
std::optional<int> GetPrivilegedFormID(std::string_view className);
//! RegistFunction of the host registry.
void RegistFunction(std::string name, HostFunction function);
//! CallFunction of the host registry.
std::optional<std::int32_t> CallFunction(std::string_view name, std::string_view argument = {},
                                         void* params = nullptr);

}  // namespace mfg
