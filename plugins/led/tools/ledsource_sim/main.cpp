// bin/ledsource-sim: a light-source controller on a pseudo-terminal. Prints the port name to
// open as "COM-Port" and serves until SIGINT or SIGTERM.
//
//   ledsource-sim [--pace] [--link PATH] [--fault NAME[=VALUE]]...
//
//   --pace          replies take the time of 19200 Bd (10 bits a byte, both ways)
//   --link PATH     also reachable as PATH (a symbolic link, removed at the end)
//   --fault silent | silent-next=K | ack-delay=MS | byte-delay=MS | ack=HEX | cut=K |
//           name-without-nul | endless-name | pings=M | all-pings-from=N | no-rows |
//           close-after=K | only=HEX
#include "light_source_simulator.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool ParseInt(const std::string& text, int base, int& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, base);
    if (*end != '\0' || v < 0 || v > 1000000000)
        return false;
    value = static_cast<int>(v);
    return true;
}

bool ApplyFault(const std::string& spec, LightSourceSimulator::Faults& f)
{
    const std::size_t eq = spec.find('=');
    const std::string name = spec.substr(0, eq);
    const std::string arg = eq == std::string::npos ? std::string() : spec.substr(eq + 1);
    int v = 0;
    if (name == "silent" && arg.empty())
        f.silent = true;
    else if (name == "name-without-nul" && arg.empty())
        f.nameWithoutNul = true;
    else if (name == "endless-name" && arg.empty())
        f.endlessName = true;
    else if (name == "no-rows" && arg.empty())
        f.noRows = true;
    else if (name == "silent-next" && ParseInt(arg, 10, v))
        f.silentNext = v;
    else if (name == "ack-delay" && ParseInt(arg, 10, v))
        f.ackDelay = std::chrono::milliseconds(v);
    else if (name == "byte-delay" && ParseInt(arg, 10, v))
        f.byteDelay = std::chrono::milliseconds(v);
    else if (name == "ack" && ParseInt(arg, 16, v) && v <= 0xFF)
        f.ack = static_cast<std::uint8_t>(v);
    else if (name == "cut" && ParseInt(arg, 10, v))
        f.cutAfter = v;
    else if (name == "pings" && ParseInt(arg, 10, v) && v <= 3)
        f.pingsAnswered = v;
    else if (name == "all-pings-from" && ParseInt(arg, 10, v))
        f.allPingsFromAttempt = v;
    else if (name == "close-after" && ParseInt(arg, 10, v))
        f.closeAfter = v;
    else if (name == "only" && ParseInt(arg, 16, v) && v <= 0xFF)
        f.only = static_cast<std::uint8_t>(v);
    else
        return false;
    return true;
}

int Usage()
{
    std::fprintf(stderr, "Aufruf: ledsource-sim [--pace] [--link PFAD] [--fault NAME[=WERT]]...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    bool paced = false;
    std::string link;
    LightSourceSimulator::Faults faults;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--pace") {
            paced = true;
        } else if (arg == "--link" && i + 1 < argc) {
            link = argv[++i];
        } else if (arg == "--fault" && i + 1 < argc) {
            if (!ApplyFault(argv[++i], faults)) {
                std::fprintf(stderr, "Unbekannter Fehlerfall: %s\n", argv[i]);
                return Usage();
            }
        } else {
            return Usage();
        }
    }

    // The signals are taken by sigwait below; blocked before any thread starts, so that no
    // other thread receives them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    LightSourceSimulator simulator;
    if (!simulator.IsOpen()) {
        std::fprintf(stderr, "Fehler: Kein Pseudo-Terminal verfügbar\n");
        return 1;
    }
    simulator.SetFaults(faults);
    simulator.SetPaced(paced);

    if (!link.empty()) {
        struct stat st{};
        // Only an old link of ours is replaced, never a file.
        if (lstat(link.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            unlink(link.c_str());
        if (symlink(simulator.PortName().c_str(), link.c_str()) != 0) {
            std::fprintf(stderr, "Fehler: Verweis '%s' konnte nicht angelegt werden\n", link.c_str());
            return 1;
        }
    }
    std::printf("%s\n", simulator.PortName().c_str());
    std::fflush(stdout);

    int signal = 0;
    sigwait(&signals, &signal);
    if (!link.empty())
        unlink(link.c_str());
    return 0;
}
