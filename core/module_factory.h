#pragma once
// What a plug-in hands to the program: the number of modules it offers, a new module by
// index and the menu path of each. Factories are static objects of their plug-in and are
// never deleted through this interface.
#include <string>

class Module;

class ModuleFactory {
public:
    virtual int GetModuleCount() = 0;
    // A new module of entry index (0 <= index < count); the caller owns it. Null for an
    // index outside that range.
    virtual Module* CreateModule(int index) = 0;
    // The menu path of entry index: levels separated by ":", "|" marking where the module
    // tree may hyphenate a long word.
    virtual std::string GetModuleName(int index) = 0;

protected:
    ModuleFactory() = default;
    ModuleFactory(const ModuleFactory&) = default;
    ModuleFactory& operator=(const ModuleFactory&) = default;
    ~ModuleFactory() = default;
};
