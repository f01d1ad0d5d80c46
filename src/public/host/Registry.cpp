#include "host/Registry.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "host/Users.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

template <typename List, typename NameOf>
auto FindByName(List& list, std::string_view name, NameOf nameOf) -> decltype(&*list.begin())
{
    auto found = std::find_if(list.begin(), list.end(), [&](const auto& item) { return EqualsNoCase(nameOf(item), name); });
    return found == list.end() ? nullptr : &*found;
}

}  // namespace

Registry::Registry() : Registry([](int number, int kind) { return HasNewPrivilege2(number, kind, true); }) {}

Registry::Registry(PrivilegeCheck privilegeCheck) : check(std::move(privilegeCheck)) {}

const Registry::FormEntry* Registry::FindForm(std::string_view name) const
{
    return FindByName(forms, name, [](const FormEntry& form) -> const std::string& { return form.entry.name; });
}

const Registry::FunctionEntry* Registry::FindFunction(std::string_view name) const
{
    return FindByName(functions, name, [](const FunctionEntry& function) -> const std::string& { return function.name; });
}

void Registry::RegisterPrivilegedForm(std::string name, int privilege, ScreenFactory factory, std::string className)
{
    if (Trim(name).empty()) throw std::invalid_argument("注册窗口时缺少窗口名");
    if (!factory) throw std::invalid_argument("窗口 " + name + " 没有创建函数");
    if (className.empty()) className = name;
    FormEntry form{{std::move(name), std::move(className), privilege, loadingModule}, std::move(factory)};
    if (auto* existing = FindByName(forms, form.entry.name, [](const FormEntry& f) -> const std::string& {
            return f.entry.name;
        })) {
        *existing = std::move(form);
        return;
    }
    forms.push_back(std::move(form));
}

std::unique_ptr<Screen> Registry::GetPrivilegedForm(std::string_view name, int kind)
{
    const FormEntry* form = FindForm(name);
    if (!form) return nullptr;
    // The check may show a message and the factory may register further screens; neither may
    // leave us holding a reference into the list.
    int privilege = form->entry.privilege;
    ScreenFactory factory = form->factory;
    if (check && !check(privilege, kind)) return nullptr;
    return factory();
}

std::optional<int> Registry::GetPrivilegedFormID(std::string_view className) const
{
    for (const auto& form : forms)
        if (EqualsNoCase(form.entry.className, className)) return form.entry.privilege;
    if (const FormEntry* form = FindForm(className)) return form->entry.privilege;
    return std::nullopt;
}

bool Registry::HasForm(std::string_view name) const { return FindForm(name) != nullptr; }

bool Registry::UnregisterPrivilegedForm(std::string_view name)
{
    auto before = forms.size();
    std::erase_if(forms, [&](const FormEntry& form) { return EqualsNoCase(form.entry.name, name); });
    return forms.size() != before;
}

std::vector<ScreenEntry> Registry::Forms() const
{
    std::vector<ScreenEntry> result;
    for (const auto& form : forms) result.push_back(form.entry);
    return result;
}

void Registry::RegistFunction(std::string name, HostFunction function)
{
    if (Trim(name).empty()) throw std::invalid_argument("注册命令时缺少命令名");
    if (!function) throw std::invalid_argument("命令 " + name + " 没有处理函数");
    FunctionEntry entry{std::move(name), std::move(function), loadingModule};
    if (auto* existing = FindByName(functions, entry.name, [](const FunctionEntry& f) -> const std::string& {
            return f.name;
        })) {
        *existing = std::move(entry);
        return;
    }
    functions.push_back(std::move(entry));
}

bool Registry::HasFunction(std::string_view name) const { return FindFunction(name) != nullptr; }

std::optional<std::int32_t> Registry::CallFunction(std::string_view name, std::string_view argument,
                                                   void* params) const
{
    const FunctionEntry* entry = FindFunction(name);
    if (!entry) return std::nullopt;
    // A command may unregister itself (a module unloading from its own command) while it runs.
    std::string registeredName = entry->name;
    HostFunction function = entry->function;
    return function(registeredName, argument, params);
}

bool Registry::UnregisterFunction(std::string_view name)
{
    auto before = functions.size();
    std::erase_if(functions, [&](const FunctionEntry& function) { return EqualsNoCase(function.name, name); });
    return functions.size() != before;
}

std::vector<std::string> Registry::FunctionNames() const
{
    std::vector<std::string> names;
    for (const auto& function : functions) names.push_back(function.name);
    return names;
}

void Registry::UnregisterModule(std::string_view module)
{
    std::erase_if(forms, [&](const FormEntry& form) { return EqualsNoCase(form.entry.module, module); });
    std::erase_if(functions, [&](const FunctionEntry& function) { return EqualsNoCase(function.module, module); });
}

void Registry::Clear()
{
    forms.clear();
    functions.clear();
}

Registry::ModuleScope::ModuleScope(Registry& owner, std::string module)
    : registry(owner), previous(std::exchange(owner.loadingModule, std::move(module)))
{
}

Registry::ModuleScope::~ModuleScope() { registry.loadingModule = std::move(previous); }

Registry& HostRegistry()
{
    static Registry registry;
    return registry;
}

void RegisterPrivilegedForm(std::string name, int privilege, ScreenFactory factory, std::string className)
{
    HostRegistry().RegisterPrivilegedForm(std::move(name), privilege, std::move(factory), std::move(className));
}

std::unique_ptr<Screen> GetPrivilegedForm(std::string_view name, int kind)
{
    return HostRegistry().GetPrivilegedForm(name, kind);
}

std::optional<int> GetPrivilegedFormID(std::string_view className)
{
    return HostRegistry().GetPrivilegedFormID(className);
}

void RegistFunction(std::string name, HostFunction function)
{
    HostRegistry().RegistFunction(std::move(name), std::move(function));
}

std::optional<std::int32_t> CallFunction(std::string_view name, std::string_view argument, void* params)
{
    return HostRegistry().CallFunction(name, argument, params);
}

}  // namespace mfg
