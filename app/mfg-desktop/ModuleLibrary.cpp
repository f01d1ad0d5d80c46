#include "ModuleLibrary.h"

#include "host/Registry.h"

namespace mfg {

ModuleLibrary::~ModuleLibrary()
{
    Unload();
}

bool ModuleLibrary::Load(const QString& path)
{
    Unload();
    library.setFileName(path);
    if (!library.load()) {
        error = library.errorString();
        return false;
    }
    auto load = reinterpret_cast<EntryFunction>(library.resolve("ManufactureLoad"));
    auto unloadEntry = reinterpret_cast<EntryFunction>(library.resolve("ManufactureUnload"));
    auto callEntry = reinterpret_cast<CallFunction>(library.resolve("Manufacture_Call"));
    if (!load || !unloadEntry || !callEntry) {
        error = path + " 不是生产制造模块 (缺少入口 ManufactureLoad/ManufactureUnload/Manufacture_Call)";
        library.unload();
        return false;
    }
    {
        Registry::ModuleScope scope(HostRegistry(), ModuleName);
        load();
    }
    unload = unloadEntry;
    call = callEntry;
    error.clear();
    return true;
}

void ModuleLibrary::Unload()
{
    if (!call) return;
    unload();
    HostRegistry().UnregisterModule(ModuleName);
    unload = nullptr;
    call = nullptr;
    library.unload();
}

std::int32_t ModuleLibrary::Call(const char* name, const char* argument, void* params) const
{
    return call ? call(name, argument, params) : 0;
}

}  // namespace mfg
