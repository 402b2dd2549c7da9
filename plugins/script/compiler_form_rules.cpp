#include "script/compiler_form_rules.h"

#include <algorithm>

namespace script {

CompilerFormRects CompilerFormLayout(QSize size, const CompilerFormSizes& sizes)
{
    const int width = std::max(size.width(), 456);
    const int height = std::max(size.height(), 300);
    CompilerFormRects r;
    const int top = sizes.editTop;
    r.edit = QRect(10, top, width - 160, height * 60 / 100);
    const int editRight = r.edit.x() + r.edit.width();
    const int editBottom = top + r.edit.height();
    r.status = QRect(editRight - sizes.status.width(), editBottom + sizes.status.height() - 10, sizes.status.width(),
                     sizes.status.height());
    r.help = QRect(10, editBottom + 10, width - 160, std::max(height * 45 / 100, 180));
    r.group = QRect(width - 140, top, sizes.group.width(), sizes.group.height());
    const int x = width - 130;
    const int h = sizes.button.height();
    r.run = QRect(QPoint(x, top + 20), sizes.button);
    r.load = QRect(QPoint(x, top + h + 40), sizes.button);
    r.save = QRect(QPoint(x, top + 2 * h + 50), sizes.button);
    r.demo = QRect(QPoint(x, top + 3 * h + 60), sizes.button);
    r.smartError = QRect(QPoint(x, top + sizes.group.height() + 5), sizes.check);
    r.clipping = QRect(QPoint(x, r.smartError.y() + sizes.check.height() + 5), sizes.check);
    return r;
}

QString CompilerHelpText()
{
    struct Line {
        const char* description;
        int tabs;
        const char* call;
        const char* end;
    };
    static const Line kLines[] = {
        {"Ausführen von Modulfunktionen:", 7, "run(\"Gruppe:Modulname\",\"Funktionsname\")", " \n"},
        {"Setzen von Modulparametern (numerische Datentypen oder Zeichenketten):", 1,
         "setParameter(\"Gruppe:Modulname\",\"Parametername\",Wert)", " \n"},
        {"Holen von Modulparametern (numerische Datentypen oder Zeichenketten):", 1,
         "getParameter(\"Gruppe:Modulname\",\"Parametername\")", " \n"},
        {"Setzen von Spektrenfarben:", 7, "setSpectrumColor(\"Spektrengruppe:Spektrenname\",r,g,b)", " \n"},
        {"Erzeugen von Spektren im Spektrenbaum:", 5, "setSpectrum(\"Spektrengruppe:Spektrenname\",2xN Matrix)", "\n"},
        {"Erzeugen von Spektren im Spektrenbaum mit automatischer Numerierung:", 1,
         "setSpectrumAutoName(\"Spektrengruppe:Spektrenname\",Wert, 2xN Matrix)", "\n"},
        {"Holen von Spektren aus Spektrenbaum:", 6, "getSpectrum(\"Spektrengruppe:Spektrenname\")", " \n"},
        {"Ausgeben von Nachrichten:", 7, "msgOut(\"Text\")", ""},
    };
    QString text = QStringLiteral(
        "Spektren, Modulfunktionen und -parameter können per Drag+Drop funktional in das Quelltextfenster "
        "übernommen werden.\nDurch Betätigen der CTRL-Taste beim Markieren und Ziehen aus dem Spektrenbaum wird "
        "bei Spektren nur der Name übernommen.\nSyntaxbeispiele:\n");
    for (const Line& line : kLines)
        text += QString::fromUtf8(line.description) + QString(line.tabs, QLatin1Char('\t')) +
                QString::fromUtf8(line.call) + QString::fromUtf8(line.end);
    return text;
}

std::string DemoScript()
{
    return "//DEMO-Skript\n"
           "//Variablen deklarieren\n"
           "double laser[], lasergef[];\n"
           "int w, startwl, endwl, wlstep, laserwl, spekdim;\n"
           "//Wellenlängenbereich und Laserabstand festlegen\n"
           "startwl = 400;\n"
           "endwl = 1000;\n"
           "wlstep = 2;\n"
           "laserwl = 150;\n"
           "spekdim = (endwl - startwl) / wlstep + 1;\n"
           "//Datenfeld anlegen: Zeile 0 Wellenlängen, Zeile 1 Werte\n"
           "laser.resize(2, spekdim);\n"
           "//Laserlinien bei jedem Vielfachen von 150 nm erzeugen\n"
           "for (w = 0; w < spekdim; w++;)\n"
           "{\n"
           "\tlaser[0][w] = startwl + w * wlstep;\n"
           "\tif (laser[0][w] % laserwl == 0)\n"
           "\t\tlaser[1][w] = 1;\n"
           "\telse\n"
           "\t\tlaser[1][w] = 0;\n"
           "}\n"
           "//Spektrum im Spektrenbaum ablegen\n"
           "setSpectrum(\"Laser:Laser940\", laser);\n"
           "//Spektrum grün einfärben\n"
           "setSpectrumColor(\"Laser:Laser940\", 0, 255, 0);\n"
           "//Parameter:FilterSel Typ:int [0, 6] -> glätten\n"
           "setParameter(\"Spek|tren-|Arith|me|tik:Spek|tren fil|tern\", \"FilterSel\", 2);\n"
           "//Parameter:SpecDesc Typ:string -> Eingangsspektrum\n"
           "setParameter(\"Spek|tren-|Arith|me|tik:Spek|tren fil|tern\", \"SpecDesc\", \"Laser:Laser940\");\n"
           "//Parameter:SpecGroup Typ:string -> Ergebnisgruppe\n"
           "setParameter(\"Spek|tren-|Arith|me|tik:Spek|tren fil|tern\", \"SpecGroup\", "
           "\"Laser:Laser940gefiltert\");\n"
           "//Filter ausführen\n"
           "run(\"Spek|tren-|Arith|me|tik:Spek|tren fil|tern\", \"SpectralFilter\");\n"
           "//Ergebnis einfärben und zurückholen\n"
           "setSpectrumColor(\"Laser:Laser940gefiltert:Laser940\", 128, 128, 0);\n"
           "lasergef = getSpectrum(\"Laser:Laser940gefiltert:Laser940\");\n";
}

} // namespace script
