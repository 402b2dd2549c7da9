#include "app/module_loader.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>

namespace {

std::vector<std::string> Names(const std::vector<ModuleLibrary>& libraries)
{
    std::vector<std::string> names;
    for (const ModuleLibrary& library : libraries)
        names.push_back(library.name);
    return names;
}

TEST(ModuleLoader, KeepsNamesInDescendingByteOrderWhateverTheFindOrder)
{
    struct Row {
        std::vector<std::string> found;
        std::vector<std::string> kept;
    };
    const Row rows[] = {
        {{"a.so", "b.so", "c.so"}, {"c.so", "b.so", "a.so"}},
        {{"b.so", "a.so"}, {"b.so", "a.so"}},
        {{"abc.so", "Bcd.so"}, {"abc.so", "Bcd.so"}},
        {{"Bcd.so", "abc.so"}, {"abc.so", "Bcd.so"}},
        {{"c.so", "a.so", "b.so", "b.so"}, {"c.so", "b.so", "b.so", "a.so"}},
    };
    for (const Row& r : rows) {
        std::vector<ModuleLibrary> libraries;
        for (const std::string& name : r.found)
            libraries.insert(libraries.begin() + static_cast<std::ptrdiff_t>(DescendingInsertPosition(libraries, name)),
                             ModuleLibrary{name, nullptr});
        EXPECT_EQ(Names(libraries), r.kept);
    }
}

TEST(ModuleLoader, LoadsEveryLibraryWithTheExportFromTheGivenFolder)
{
    unsetenv("ORVANTA_TEST_SKIPPED_LIBRARY_OPENED");
    std::vector<ModuleLibrary> libraries = LoadModuleLibraries(QStringLiteral(ORVANTA_TEST_PLUGIN_DIR), nullptr, 0);
    // "lentiva.so" is not a skipped name; "noexport.so", the text "x.so" and the skipped
    // device-driver names are left out; "readme.txt" is no candidate.
    EXPECT_EQ(Names(libraries),
              (std::vector<std::string>{"lentiva.so", "c.so", "b.so", "abc.so", "a.so", "Bcd.so"}));
    EXPECT_EQ(std::getenv("ORVANTA_TEST_SKIPPED_LIBRARY_OPENED"), nullptr);
    for (const ModuleLibrary& library : libraries)
        EXPECT_NE(dlsym(library.handle, "GetModuleFactory"), nullptr) << library.name;
    FreeModuleLibraries(libraries);
    EXPECT_TRUE(libraries.empty());
}

TEST(ModuleLoader, AFolderWithoutLibrariesOrNoFolderGivesNone)
{
    QTemporaryDir empty;
    EXPECT_TRUE(LoadModuleLibraries(empty.path(), nullptr, 0).empty());
    EXPECT_TRUE(LoadModuleLibraries(empty.filePath(QStringLiteral("fehlt")), nullptr, 0).empty());
}

} // namespace
