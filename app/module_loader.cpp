#include "app/module_loader.h"

#include "app/status_dialogs.h"
#include "platform/regular_file.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

const char* const kVelmontVersion = "1.0";

namespace {

constexpr char kFactoryExport[] = "GetModuleFactory";

void WaitProcessingEvents(int ms)
{
    if (ms <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

std::unique_ptr<CTransparentDialogDlg> OpenStatus(QWidget* parent, const QString& text)
{
    auto status = std::make_unique<CTransparentDialogDlg>(parent);
    status->SetText(text);
    status->Create();
    return status;
}

} // namespace

bool IsSkippedLibraryName(const std::string& fileName)
{
    return fileName == "Lentiva.so" || fileName == "Kestrin.so" || fileName == "Mikrospek.so";
}

std::size_t DescendingInsertPosition(const std::vector<ModuleLibrary>& libraries, const std::string& name)
{
    for (std::size_t i = 0; i < libraries.size(); ++i)
        if (std::strcmp(libraries[i].name.c_str(), name.c_str()) <= 0)
            return i;
    return libraries.size();
}

void ShowStatusFor(QWidget* parent, const QString& text, int waitMs)
{
    const auto status = OpenStatus(parent, text);
    WaitProcessingEvents(waitMs);
}

std::vector<ModuleLibrary> LoadModuleLibraries(const QString& folder, QWidget* parent, int statusWaitMs)
{
    std::vector<ModuleLibrary> libraries;
    const auto status = OpenStatus(
        parent, QStringLiteral("Lade die Orvanta™-Programmmodule. Version: ") + QString::fromUtf8(kVelmontVersion));
    WaitProcessingEvents(statusWaitMs);

    std::error_code error;
    std::filesystem::directory_iterator it(std::filesystem::path(folder.toStdString()), error);
    if (error)
        return libraries;
    for (const std::filesystem::directory_entry& entry : it) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= 3 || name.compare(name.size() - 3, 3, ".so") != 0)
            continue;
        if (IsSkippedLibraryName(name))
            continue;
        // dlopen would wait on a pipe for a writer: only regular files go to it.
        platform::FileRefusal refusal = platform::FileRefusal::None;
        if (const int fd = platform::OpenRegularFile(entry.path().c_str(), &refusal); fd >= 0)
            ::close(fd);
        if (refusal == platform::FileRefusal::NotRegular) {
            std::fprintf(stderr, "velmont: %s not loaded: not a regular file\n", name.c_str());
            continue;
        }
        // The full path: a bare name would search the system's library folders instead.
        void* handle = dlopen(entry.path().c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            std::fprintf(stderr, "velmont: %s not loaded: %s\n", name.c_str(), dlerror());
        } else if (!dlsym(handle, kFactoryExport)) {
            std::fprintf(stderr, "velmont: %s has no %s\n", name.c_str(), kFactoryExport);
            dlclose(handle);
            continue;
        } else {
            const auto position = DescendingInsertPosition(libraries, name);
            libraries.insert(libraries.begin() + static_cast<std::ptrdiff_t>(position), ModuleLibrary{name, handle});
        }
        // Let the status window repaint; pending events are handled, none is dropped.
        QCoreApplication::processEvents();
    }
    return libraries;
}

void FreeModuleLibraries(std::vector<ModuleLibrary>& libraries)
{
    for (const ModuleLibrary& library : libraries)
        dlclose(library.handle);
    libraries.clear();
}
