#pragma once
// The one export of every plug-in. Plug-ins build with hidden visibility; this declaration
// keeps the entry point visible, so the definition in the plug-in
//     extern "C" ModuleFactory* GetModuleFactory() { return &factory; }
// is what the program finds with dlsym.
#include "core/module_factory.h"

extern "C" __attribute__((visibility("default"))) ModuleFactory* GetModuleFactory();

// The type of the export, for the loader's dlsym.
using GetModuleFactoryFn = ModuleFactory* (*)();

inline constexpr char kGetModuleFactoryName[] = "GetModuleFactory";
