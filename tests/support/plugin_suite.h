#pragma once
// A test suite over every built plug-in: the libraries of ORVANTA_PLUGIN_DIR (defined by the
// test executable) are loaded through the program's loader once for the suite and closed after
// it. Base is the GoogleTest fixture the suite derives from.
#include "app/module_loader.h"

#include <QString>

#include <gtest/gtest.h>

#include <vector>

namespace test_support {

template <class Base = ::testing::Test>
class PluginSuite : public Base {
protected:
    static void SetUpTestSuite()
    {
        s_libraries = new std::vector<ModuleLibrary>(LoadModuleLibraries(QStringLiteral(ORVANTA_PLUGIN_DIR), nullptr, 0));
    }
    static void TearDownTestSuite()
    {
        FreeModuleLibraries(*s_libraries);
        delete s_libraries;
        s_libraries = nullptr;
    }

    inline static std::vector<ModuleLibrary>* s_libraries = nullptr;
};

} // namespace test_support
