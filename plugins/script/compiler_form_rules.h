#pragma once
// The script form without widgets: where its controls go for a size, its help text and its
// demo script.
#include <QRect>
#include <QSize>
#include <QString>

#include <string>

namespace script {

// The sizes the controls keep, and the editor's top.
struct CompilerFormSizes {
    int editTop = 60;
    QSize status{120, 20};
    QSize button{120, 40};
    QSize check{120, 20};
    QSize group{130, 240};
};

struct CompilerFormRects {
    QRect edit, status, help, group, run, load, save, demo, smartError, clipping;
};

// Width and height count as at least 456 and 300. The editor spans from x = 10 to 150 short
// of the width and 60 % of the height; the help text lies 10 below it, 45 % of the height but
// at least 180 high; the frame and buttons stand in a column 140 and 130 from the right edge.
CompilerFormRects CompilerFormLayout(QSize size, const CompilerFormSizes& sizes = {});

// The help text: how drops work, then "Syntaxbeispiele:" and one line per call, each its
// description, tabs and a call template.
QString CompilerHelpText();

// The demo script: a laser spectrum made, stored, coloured, filtered by the spectral filter
// module and read back.
std::string DemoScript();

inline constexpr char kDescription[] =
    "Arithmetischer Compiler zur Verrechnung von Spektren und Erzeugung skriptbasierter Verarbeitungsketten";

} // namespace script
