// Fuzz target of the project file reader: the input is a project file. A file that opens is
// saved and opened again, and the second project must equal the first; a file refused as
// damaged must leave the empty project, nothing of it loaded.
#include "project_fixture.h"
#include "support/fake_prompter.h"
#include "support/temp_dir.h"

#include <QApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace {

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "project file fuzz: %s\n", what);
        std::abort();
    }
}

// Everything a project file holds, as text. The description is stored escaped, and the
// escaping is not undone exactly for every text (a literal "[BR]" comes back as a line break):
// it is compared as the file gives it back.
std::string DumpProject(FakeProjectDocument& doc, bool asStored)
{
    const std::string description =
        asStored ? UnescapeCommentText(EscapeCommentText(doc.description)) : doc.description;
    return DumpModules(doc.host.modules) + "--\n" + DumpSpectra(doc.host.spectra) + "--\n" +
           DumpClipboard(doc.host.clipboard) + "--\n" + doc.lastModule + "\n--\n" + description + "\n--\n" +
           Dump(doc.workspace);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The wait cursor needs an application object; one for the whole run.
    static std::unique_ptr<QApplication> app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_project_file";
        static char* argv[] = {name, nullptr};
        return std::make_unique<QApplication>(argc, argv);
    }();
    static test_support::TempDir dir;
    const std::string path = dir.file("fuzz.pxml");
    const std::string again = dir.file("again.pxml");
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                  static_cast<std::streamsize>(size));

    FakePrompter prompter;
    FakeProjectDocument doc;
    const OpenResult result = OpenProject(doc, path);
    Check(QApplication::overrideCursor() == nullptr, "the wait cursor stays");
    if (result == OpenResult::Damaged) {
        Check(doc.host.spectra.GetInserters().empty() && doc.host.clipboard.GetInserters().empty(),
              "a damaged file left objects behind");
        return 0;
    }
    Check(result == OpenResult::Loaded, "an existing file failed to open");

    Check(SaveProject(doc, again).has_value(), "a loaded project could not be saved");
    FakeProjectDocument reopened;
    Check(OpenProject(reopened, again) == OpenResult::Loaded, "a saved project did not open again");
    Check(DumpProject(reopened, false) == DumpProject(doc, true), "the reopened project differs from the saved one");
    return 0;
}
