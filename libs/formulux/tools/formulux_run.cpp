// formulux-run file.mcc: compiles and runs a script, prints its output or its error.
#include "formulux/mc_compiler.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Aufruf: formulux-run Datei.mcc\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "Fehler: Datei %s kann nicht gelesen werden.\n", argv[1]);
        return 2;
    }
    const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CMCCompiler compiler;
    compiler.loadStdFunctions();
    compiler.loadStdVars();
    if (!compiler.runCompiler(source)) {
        std::cout << compiler.getError() << '\n';
        return 1;
    }
    if (!compiler.runInterpreter()) {
        std::cout.flush();
        std::cout << compiler.getException() << '\n';
        return 1;
    }
    return 0;
}
