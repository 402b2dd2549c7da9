// Spreadsheet commits of 10,000 rows x 10 columns: through the SQLite 3 ODBC driver (one
// transaction), and as a delimited text file, written and read back. Counters give rows per
// second.
#include "app/spreadsheet.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRows = 10'000;
constexpr int kColumns = 10;

std::filesystem::path TempPath(const std::string& name)
{
    return std::filesystem::temp_directory_path() / ("bench_sheet_" + std::to_string(::getpid()) + "_" + name);
}

// Fills a sheet inside a transaction; the commit is what is timed.
void Fill(CSpreadSheet& sheet)
{
    std::vector<std::string> header;
    for (int c = 1; c <= kColumns; ++c)
        header.push_back("Spalte " + std::to_string(c));
    sheet.StartTransaction();
    sheet.SetHeaderRow(header);
    std::vector<std::string> row(kColumns);
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c)
            row[c] = std::to_string(r * 0.25 + c);
        sheet.PutRow(row);
    }
}

// Times the commit of a freshly filled sheet in a new file.
void RunCommit(benchmark::State& state, const std::string& name, const std::string& sheetOrSeparator,
               const SheetDriverProfile& profile)
{
    const std::filesystem::path file = TempPath(name);
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(file);
        CSpreadSheet sheet(file.string(), sheetOrSeparator, false, profile);
        Fill(sheet);
        state.ResumeTiming();
        if (!sheet.CommitChanges())
            state.SkipWithError(sheet.GetLastErrorMessage().c_str());
    }
    std::filesystem::remove(file);
    state.counters["rows/s"] = benchmark::Counter(double(kRows) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_OdbcCommit(benchmark::State& state)
{
    RunCommit(state, "book.xls", "Daten", SheetDriverProfile::SQLite3());
}
BENCHMARK(BM_OdbcCommit)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CsvCommit(benchmark::State& state)
{
    RunCommit(state, "werte.csv", ";", SheetDriverProfile::Workbook());
}
BENCHMARK(BM_CsvCommit)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CsvRead(benchmark::State& state)
{
    const std::filesystem::path file = TempPath("lesen.csv");
    {
        std::filesystem::remove(file);
        CSpreadSheet sheet(file.string(), ";", false);
        Fill(sheet);
        sheet.CommitChanges();
    }
    for (auto _ : state) {
        CSpreadSheet sheet(file.string(), ";", false);
        std::vector<std::string> row;
        long cells = 0;
        while (sheet.GetRow(row))
            cells += static_cast<long>(row.size());
        benchmark::DoNotOptimize(cells);
    }
    std::filesystem::remove(file);
    state.counters["rows/s"] = benchmark::Counter(double(kRows) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CsvRead)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
