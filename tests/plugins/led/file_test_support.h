#pragma once
// Helpers for the LED engine's file and colour tests: a scoped wavelength grid, the shipped
// colour data, a temporary folder and whole-file reads and writes.

#include "led_test_support.h"

#include "engine/color_data.h"
#include "engine/grid.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// Sets the global grid; the guard restores the previous one on destruction.
class GridScope : private GridGuard {
public:
    GridScope(double start, double end, double step)
    {
        XStart = start;
        XEnd = end;
        XStep = step;
    }
};

// Folder of the colour data files built into bin/.
inline std::string ShippedColourDataFolder()
{
    return LED_COLOUR_DATA_DIR;
}

// Each test starts with the shipped colour data not yet loaded and leaves none behind.
class ShippedColourData : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetColorData();
        ASSERT_TRUE(SetColorDataFolder(ShippedColourDataFolder()));
    }
    void TearDown() override { ResetColorData(); }
};

// A fresh, empty folder below the system's temporary folder, removed on destruction.
class TempFolder {
public:
    TempFolder()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "ledtest-XXXXXX").string();
        m_path = ::mkdtemp(tmpl.data()) ? tmpl : std::string();
    }
    ~TempFolder()
    {
        std::error_code ec;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

inline void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
