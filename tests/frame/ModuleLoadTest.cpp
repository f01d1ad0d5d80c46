// The host's way in: libPK_Manufacture.so opened with dlopen, its entry points found by name,
// registering into the one registry of libPK_Public.so that the host itself uses.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "Database.h"
#include "host/Host.h"
#include "host/Registry.h"

namespace mfg {
namespace {

using LoadFunction = void (*)();
using CallFunction = std::int32_t (*)(const char*, const char*, void*);

TEST(ModuleLoad, EntryPointsAreFoundAndRegisterWithTheHost)
{
    Host host(OpenDatabase(":memory:"));
    InstallSchema(host.DBStartup());
    CurrentHostScope scope(host);
    HostRegistry().Clear();

    void* module = dlopen(MFG_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto load = reinterpret_cast<LoadFunction>(dlsym(module, "ManufactureLoad"));
    auto unload = reinterpret_cast<LoadFunction>(dlsym(module, "ManufactureUnload"));
    auto call = reinterpret_cast<CallFunction>(dlsym(module, "Manufacture_Call"));
    ASSERT_TRUE(load && unload && call);

    load();
    EXPECT_EQ(HostRegistry().FunctionNames(), (std::vector<std::string>{"RUNMRP", "SORDERTOMPS", "SHOWMNFFORM"}));
    EXPECT_EQ(call("showmnfform", "WorkCalendarForm", nullptr), 0);
    EXPECT_EQ(HostRegistry().CallFunction("RunMrp", "", nullptr).value_or(-1), 0);
    unload();
    unload();
    // Nothing in the registry may point into the library once it is gone.
    HostRegistry().Clear();
    EXPECT_EQ(dlclose(module), 0);
}

}  // namespace
}  // namespace mfg
