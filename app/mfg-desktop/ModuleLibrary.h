#pragma once

#include <QLibrary>
#include <QString>

#include <cstdint>

namespace mfg {

//! A loadable module (libPK_Manufacture.so) with its three entry points. Load calls
//! ManufactureLoad with the registrations tagged as the module's; Unload calls ManufactureUnload,
//! withdraws everything the module registered and unloads the library, so no menu entry or
//! callback points into code that is gone.
class ModuleLibrary {
public:
    //! The module name the registrations are tagged with.
    static constexpr const char* ModuleName = "PK_Manufacture";

    ModuleLibrary() = default;
    ~ModuleLibrary();
    ModuleLibrary(const ModuleLibrary&) = delete;
    ModuleLibrary& operator=(const ModuleLibrary&) = delete;

    //! Loads the library at `path` and runs ManufactureLoad; false with ErrorText on failure.
    bool Load(const QString& path);
    //! Runs ManufactureUnload and unloads; nothing when not loaded.
    void Unload();
    bool Loaded() const { return call != nullptr; }
    //! Manufacture_Call of the module; 0 when it is not loaded.
    std::int32_t Call(const char* name, const char* argument, void* params = nullptr) const;
    const QString& ErrorText() const { return error; }

private:
    using EntryFunction = void (*)();
    using CallFunction = std::int32_t (*)(const char*, const char*, void*);

    QLibrary library;
    EntryFunction unload = nullptr;
    CallFunction call = nullptr;
    QString error;
};

}  // namespace mfg
