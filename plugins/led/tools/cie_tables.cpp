// Builds the colour calculator's data files from the CIE reference tables (CSV):
//
//   cie_tables <folder with the CSV files> <output folder>
//
// Each table is written as a "Speks:" file on its own grid, with the engine's own writer, so
// the files are read back exactly as the plug-in reads them. The CIE 1931 observer comes from
// colormath's generated table (the program's one copy of it); the other tables from their CSV.
#include "colormath/cie_table.h"
#include "engine/grid.h"
#include "engine/spectra_set.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Table {
    std::vector<std::string> columns; // value columns, without the wavelength
    std::vector<int> wavelengths;     // nm
    std::vector<std::vector<double>> values; // per column
};

std::vector<std::string> SplitCsv(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, ','))
        fields.push_back(field);
    return fields;
}

bool ParseDouble(const std::string& text, double& value)
{
    const char* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && p == end;
}

bool ReadTable(const std::string& path, Table& t, std::string& error)
{
    std::ifstream in(path);
    std::string line;
    if (!in || !std::getline(in, line)) {
        error = "cannot read " + path;
        return false;
    }
    const std::vector<std::string> head = SplitCsv(line);
    if (head.size() < 2 || head[0] != "wavelength_nm") {
        error = path + ": unexpected header";
        return false;
    }
    t.columns.assign(head.begin() + 1, head.end());
    t.values.assign(t.columns.size(), {});
    while (std::getline(in, line)) {
        if (line.empty())
            continue;
        const std::vector<std::string> f = SplitCsv(line);
        double nm = 0.0;
        if (f.size() != head.size() || !ParseDouble(f[0], nm)) {
            error = path + ": bad row '" + line + "'";
            return false;
        }
        t.wavelengths.push_back(static_cast<int>(nm));
        for (std::size_t c = 0; c < t.columns.size(); ++c) {
            double v = 0.0;
            if (!ParseDouble(f[c + 1], v)) {
                error = path + ": bad value '" + f[c + 1] + "'";
                return false;
            }
            t.values[c].push_back(v);
        }
    }
    const std::size_t n = t.wavelengths.size();
    if (n < 2) {
        error = path + ": fewer than two rows";
        return false;
    }
    const int step = t.wavelengths[1] - t.wavelengths[0];
    for (std::size_t i = 1; i < n; ++i)
        if (step <= 0 || t.wavelengths[i] - t.wavelengths[i - 1] != step) {
            error = path + ": wavelengths not evenly spaced";
            return false;
        }
    return true;
}

// The CIE 1931 observer as a table with the CSV's columns.
Table Cie1931()
{
    Table t;
    t.columns = {"x_bar", "y_bar", "z_bar"};
    t.values.assign(3, {});
    for (int i = 0; i < colormath::kCie1931Count; ++i) {
        const colormath::CieRow& row = colormath::kCie1931[i];
        t.wavelengths.push_back(static_cast<int>(row.nm));
        t.values[0].push_back(row.x);
        t.values[1].push_back(row.y);
        t.values[2].push_back(row.z);
    }
    return t;
}

// Writes the chosen columns (all when empty) on the table's own grid.
bool WriteSpeks(const Table& t, const std::vector<std::string>& names, const std::string& path,
                std::string& error)
{
    XStart = t.wavelengths.front() / 1000.0;
    XEnd = t.wavelengths.back() / 1000.0;
    XStep = (t.wavelengths[1] - t.wavelengths[0]) / 1000.0;
    const int n = static_cast<int>(t.wavelengths.size());
    if (GridPointCount() != n) {
        error = path + ": grid does not give the table's row count";
        return false;
    }
    SpectraSet set;
    LSMatrixHandle v(n, 1);
    for (std::size_t c = 0; c < t.columns.size(); ++c) {
        if (!names.empty() && std::find(names.begin(), names.end(), t.columns[c]) == names.end())
            continue;
        for (int i = 0; i < n; ++i)
            v[i] = t.values[c][static_cast<std::size_t>(i)];
        set.AddSpectrum(t.columns[c], v);
    }
    if (set.GetCount() == 0 || !set.SaveToFile(path)) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <CSV folder> <output folder>\n", argv[0]);
        return 2;
    }
    const std::string from = std::string(argv[1]) + "/";
    const std::string to = std::string(argv[2]) + "/";
    struct Job {
        const char* csv;
        std::vector<std::string> columns;
        const char* file;
    };
    std::string error;
    if (!WriteSpeks(Cie1931(), {}, to + "CIEObserver.txt", error)) {
        std::fprintf(stderr, "cie_tables: %s\n", error.c_str());
        return 1;
    }
    const Job jobs[] = {
        {"cie_illuminant_d65.csv", {"D65"}, "D65.txt"},
        {"cie_vlambda_photopic.csv", {"V"}, "VLambda.txt"},
        {"cie_133_tcs.csv", {}, "StdTargets.txt"}, // TCS01..TCS14 in file order
    };
    for (const Job& job : jobs) {
        Table t;
        if (!ReadTable(from + job.csv, t, error) || !WriteSpeks(t, job.columns, to + job.file, error)) {
            std::fprintf(stderr, "cie_tables: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
