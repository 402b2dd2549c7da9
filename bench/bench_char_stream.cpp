// CCharStream::ReadLine over a 100 MB text file of 60-byte CR LF lines, next to
// a plain read() loop over the same (cached) file.
#include "core/char_stream.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::size_t kFileBytes = 100u * 1000u * 1000u;
constexpr std::size_t kLineBytes = 60; // 58 characters, CR, LF
std::string g_path;

void WriteFile(const std::string& path)
{
    std::string line(kLineBytes - 2, ' ');
    for (std::size_t i = 0; i < line.size(); ++i)
        line[i] = static_cast<char>('0' + i % 10);
    line += "\r\n";
    std::string block;
    for (int i = 0; i < 1000; ++i)
        block += line;
    std::ofstream out(path, std::ios::binary);
    for (std::size_t written = 0; written < kFileBytes; written += block.size())
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
}

std::uintmax_t FileBytes()
{
    return std::filesystem::file_size(g_path);
}

void BM_ReadLine(benchmark::State& state)
{
    const int bufferSize = static_cast<int>(state.range(0));
    std::vector<char> line(120000);
    std::size_t lines = 0;
    for (auto _ : state) {
        CCharStream in(bufferSize);
        in.Open(g_path.c_str());
        lines = 0;
        while (!in.IsEOF()) {
            in.ReadLine(line.data(), static_cast<int>(line.size()) - 1);
            benchmark::DoNotOptimize(line.data());
            ++lines;
        }
    }
    // Every CR LF line gives its text and the empty line of its LF.
    if (lines != 2 * FileBytes() / kLineBytes)
        state.SkipWithError("wrong line count");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FileBytes()));
    state.counters["lines"] = static_cast<double>(lines);
}

void BM_PlainRead(benchmark::State& state)
{
    std::vector<char> buffer(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        const int fd = ::open(g_path.c_str(), O_RDONLY);
        std::size_t total = 0;
        ssize_t got;
        while ((got = ::read(fd, buffer.data(), buffer.size())) > 0) {
            benchmark::DoNotOptimize(buffer.data());
            total += static_cast<std::size_t>(got);
        }
        ::close(fd);
        if (total != FileBytes())
            state.SkipWithError("short read");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FileBytes()));
}

BENCHMARK(BM_ReadLine)->Arg(1024)->Arg(2048)->Arg(120000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRead)->Arg(1024)->Arg(2048)->Arg(120000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    std::string dir = (std::filesystem::temp_directory_path() / "charstream-bench-XXXXXX").string();
    if (!::mkdtemp(dir.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    g_path = dir + "/lines.txt";
    WriteFile(g_path);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(dir);
    return 0;
}
