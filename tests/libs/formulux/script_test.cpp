// Runs every fixture script of tests/data/formulux/scripts/<feature>/ and compares its output
// with its "// expect: " lines, or its error with its "// expect error: " line. A line
// "// options: clipping smarterror" switches the options on.
#include "formulux/mc_compiler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

fs::path scriptDir() { return fs::path(ORVANTA_TEST_DATA_DIR) / "formulux" / "scripts"; }

std::vector<fs::path> scripts()
{
    std::vector<fs::path> out;
    for (const auto& entry : fs::recursive_directory_iterator(scriptDir()))
        if (entry.is_regular_file() && entry.path().extension() == ".mcc")
            out.push_back(fs::relative(entry.path(), scriptDir()));
    std::sort(out.begin(), out.end());
    return out;
}

struct Expectation {
    std::vector<std::string> output;
    std::string error;
    bool clipping = false;
    bool smartError = false;
};

Expectation expectationsOf(const std::string& source)
{
    Expectation e;
    std::istringstream in(source);
    std::string line;
    const std::string out = "// expect: ", err = "// expect error: ", opt = "// options:";
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (const auto p = line.find(out); p != std::string::npos)
            e.output.push_back(line.substr(p + out.size()));
        else if (const auto q = line.find(err); q != std::string::npos)
            e.error = "Fehler: " + line.substr(q + err.size());
        else if (line.rfind(opt, 0) == 0) {
            e.clipping = line.find("clipping") != std::string::npos;
            e.smartError = line.find("smarterror") != std::string::npos;
        }
    }
    return e;
}

class Script : public testing::TestWithParam<fs::path> {};

TEST_P(Script, OutputOrErrorAsExpected)
{
    std::ifstream file(scriptDir() / GetParam(), std::ios::binary);
    const std::string source((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const Expectation expect = expectationsOf(source);

    CMCCompiler compiler;
    compiler.loadStdFunctions();
    compiler.loadStdVars();
    compiler.setClipping(expect.clipping);
    compiler.setSmartError(expect.smartError);
    std::string output;
    compiler.setOutput([&](std::string_view text) { output += text; });
    std::string error;
    if (!compiler.runCompiler(source))
        error = compiler.getError();
    else if (!compiler.runInterpreter())
        error = compiler.getException();

    std::vector<std::string> lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    EXPECT_EQ(lines, expect.output);
    EXPECT_EQ(error, expect.error);
}

std::string testName(const testing::TestParamInfo<fs::path>& info)
{
    std::string name = info.param.string();
    name = name.substr(0, name.size() - 4);
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Script, testing::ValuesIn(scripts()), testName);

} // namespace
