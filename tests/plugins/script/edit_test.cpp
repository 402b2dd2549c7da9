// The script editor: the colouring rules, the caret text, the drop texts and the widget's keys,
// mouse, drops and re-colouring.
#include "script/syntax_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace {

using script::SyntaxSpan;
using script::SyntaxState;
using script::SyntaxStyle;

TEST(SyntaxSpans, ClassifiesWordsNumbersStringsAndComments)
{
    using S = SyntaxStyle;
    struct Row {
        const char* name;
        QString text;
        int from, to; // -1: the whole text
        SyntaxState start;
        std::vector<SyntaxSpan> spans;
        SyntaxState end;
    };
    const Row rows[] = {
        {"hex digits after 0x are a word", "0x1F", 0, -1, SyntaxState::Normal, {{0, 3, S::Number}, {3, 1, S::Plain}},
         SyntaxState::Normal},
        {"0x alone", "0x;", 0, -1, SyntaxState::Normal, {{0, 2, S::BadHex}}, SyntaxState::Normal},
        {"leading zero", "0123", 0, -1, SyntaxState::Normal, {{0, 4, S::Octal}}, SyntaxState::Normal},
        {"a point", "0.5 0", 0, -1, SyntaxState::Normal, {{0, 3, S::Number}, {4, 1, S::Number}}, SyntaxState::Normal},
        {"declaration", "int x = 12;", 0, -1, SyntaxState::Normal,
         {{0, 3, S::Type}, {4, 1, S::Plain}, {8, 2, S::Number}}, SyntaxState::Normal},
        {"keywords with case; some names stay plain", "for Run wantAbort getVar break msgOut", 0, -1,
         SyntaxState::Normal,
         {{0, 3, S::Keyword}, {4, 3, S::Plain}, {8, 9, S::Plain}, {18, 6, S::Plain}, {25, 5, S::Plain},
          {31, 6, S::Keyword}},
         SyntaxState::Normal},
        {"names with digits, underscores and umlauts", "_a1 grün2", 0, -1, SyntaxState::Normal,
         {{0, 3, S::Plain}, {4, 5, S::Plain}}, SyntaxState::Normal},
        {"a string hides a comment", "msgOut(\"a // b\");", 0, -1, SyntaxState::Normal,
         {{0, 6, S::Keyword}, {7, 8, S::String}}, SyntaxState::Normal},
        {"a line comment takes its line end", "// \"x\"\nint", 0, -1, SyntaxState::Normal,
         {{0, 7, S::Comment}, {7, 3, S::Type}}, SyntaxState::Normal},
        {"a closed block comment", "/* a */ int", 0, -1, SyntaxState::Normal, {{0, 7, S::Comment}, {8, 3, S::Type}},
         SyntaxState::Normal},
        {"an open block comment runs to the end", "/* offen\nint x", 0, -1, SyntaxState::Normal,
         {{0, 14, S::Comment}}, SyntaxState::InComment},
        {"an open string runs to the end", "\"offen int", 0, -1, SyntaxState::Normal, {{0, 10, S::String}},
         SyntaxState::InString},
        {"a comment begun before", "noch */ int", 0, -1, SyntaxState::InComment,
         {{0, 7, S::Comment}, {8, 3, S::Type}}, SyntaxState::Normal},
        {"a string begun before", "ende\" if", 0, -1, SyntaxState::InString, {{0, 5, S::String}, {6, 2, S::Keyword}},
         SyntaxState::Normal},
        {"the second slash outside the range", "ab // cd", 3, 4, SyntaxState::Normal, {}, SyntaxState::Normal},
        {"a range inside a line", "x = 12345;", 4, 6, SyntaxState::Normal, {{4, 2, S::Number}},
         SyntaxState::Normal},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const script::SyntaxResult result =
            script::SyntaxSpans(row.text, row.from, row.to < 0 ? static_cast<int>(row.text.size()) : row.to, row.start);
        EXPECT_EQ(result.spans, row.spans);
        EXPECT_EQ(result.end, row.end);
    }
}

TEST(SyntaxSpans, StylesHaveTheirColours)
{
    EXPECT_EQ(script::StyleColour(SyntaxStyle::Keyword), RGB(0, 50, 200));
    EXPECT_EQ(script::StyleColour(SyntaxStyle::Type), RGB(0, 200, 50));
    EXPECT_EQ(script::StyleColour(SyntaxStyle::String), RGB(120, 0, 0));
    EXPECT_EQ(script::StyleColour(SyntaxStyle::Comment), RGB(0, 160, 0));
    EXPECT_EQ(script::StyleColour(SyntaxStyle::Number), RGB(0, 0, 255));
    EXPECT_EQ(script::StyleColour(SyntaxStyle::Octal), RGB(128, 0, 0));
    EXPECT_EQ(script::StyleColour(SyntaxStyle::BadHex), RGB(255, 0, 0));
    EXPECT_EQ(script::StyleColour(SyntaxStyle::Plain), RGB(10, 10, 10));
    EXPECT_TRUE(script::StyleBold(SyntaxStyle::Keyword) && script::StyleBold(SyntaxStyle::Type));
    EXPECT_TRUE(script::StyleItalic(SyntaxStyle::Comment));
    EXPECT_FALSE(script::StyleBold(SyntaxStyle::Number) || script::StyleItalic(SyntaxStyle::String));
}

TEST(DropTexts, BuildThePiecesOfScript)
{
    struct Row {
        const char* name;
        QString built;
        QString expected;
    };
    const Row rows[] = {
        {"module", script::ModuleDropText("Farb|me|trik:Lab"), "\n\"Farb|me|trik:Lab\"\n"},
        {"empty module", script::ModuleDropText(""), ""},
        {"function", script::FunctionDropText("Spek|tren:Mo|dul:calculate"),
         "\nrun(\"Spek|tren:Mo|dul\",\"calculate\");\n"},
        {"function without a colon", script::FunctionDropText("calculate"), ""},
        {"function without a name", script::FunctionDropText("Modul:"), ""},
        {"int parameter", script::ParameterDropText("G:Mo|dul:FilterSel|Filter|5|0|6"),
         "\n//Parameter:FilterSel Typ:int [0, 6]  Bedeutung:Filter \nget|setParameter(\"G:Mo|dul\",\"FilterSel\", ...);\n"},
        {"string parameter", script::ParameterDropText("G:Modul:SpecDesc||6||"),
         "\n//Parameter:SpecDesc Typ:string \nget|setParameter(\"G:Modul\",\"SpecDesc\", ...);\n"},
        {"bool parameter", script::ParameterDropText("Modul:Flag||4||"),
         "\n//Parameter:Flag Typ:bool \nget|setParameter(\"Modul\",\"Flag\", ...);\n"},
        {"no meaning and no type", script::ParameterDropText("G:Modul:Name||||"),
         "\nget|setParameter(\"G:Modul\",\"Name\", ...);\n"},
        {"a meaning with colons", script::ParameterDropText("G:Mo|dul:Zeit|Dauer: 5 s|8|0|1e+02"),
         "\n//Parameter:Zeit Typ:double [0, 1e+02]  Bedeutung:Dauer: 5 s \nget|setParameter(\"G:Mo|dul\",\"Zeit\", ...);\n"},
        {"a short text ends its name at the first bar", script::ParameterDropText("G:Modul:Name|M|5"),
         "\n//Parameter:Name Typ:int  Bedeutung:M \nget|setParameter(\"G:Modul\",\"Name\", ...);\n"},
        {"an unknown type code", script::ParameterDropText("G:Modul:Name|M|42||"),
         "\n//Parameter:Name Bedeutung:M \nget|setParameter(\"G:Modul\",\"Name\", ...);\n"},
        {"parameter without fields", script::ParameterDropText("G:Modul:Name"),
         "\nget|setParameter(\"G:Modul\",\"Name\", ...);\n"},
        {"parameter without a path", script::ParameterDropText("Name|M|5|0|1"), ""},
        {"spectrum with its count", script::SpectrumDropText("Laser:L1|301", false),
         "\n//Spektrum double-Datenfeld Dimension:[2, 301]\ngetSpectrum(\"Laser:L1\");\n"},
        {"spectrum", script::SpectrumDropText("Laser:L1", false), "getSpectrum(\"Laser:L1\");\n"},
        {"spectrum with CTRL", script::SpectrumDropText("Laser:L1|301", true), "\"Laser:L1\""},
        {"caret", script::CaretText(3, 5), "Pos.:3, 5"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.built, row.expected);
    }
}

TEST(DropTexts, TheArgumentACtrlDropReplaces)
{
    struct Row {
        const char* name;
        QString text;
        int caret;
        std::optional<script::ArgumentRange> range;
    };
    const QString call = "x = getSpectrum(\"alt\");";
    const QString colour = "setSpectrumColor(\"a\", 1, 2, 3);";
    const Row rows[] = {
        {"inside the first argument", call, 18, script::ArgumentRange{16, 21, false}},
        {"right before the parenthesis", call, 21, script::ArgumentRange{16, 21, false}},
        {"after a comma, up to the closing parenthesis", colour, 23, script::ArgumentRange{21, 29, true}},
        {"within the first ten characters", call, 9, std::nullopt},
        {"no closing parenthesis after the caret", call, 22, std::nullopt},
        {"no opening before", "abcdefghijkl)", 11, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(script::ArgumentSpan(row.text, row.caret), row.range);
    }
}

class EditTest : public testing::Test {
protected:
    void SetUp() override
    {
        edit.resize(400, 300);
        edit.show();
    }
    void SetText(const QString& text, int caret = 0)
    {
        edit.setPlainText(text);
        edit.Reset();
        QTextCursor c = edit.textCursor();
        c.setPosition(caret);
        edit.setTextCursor(c);
    }
    // The colour the highlighter gave the character at position.
    QColor ColourAt(int position)
    {
        const QTextBlock block = edit.document()->findBlock(position);
        const int offset = position - block.position();
        for (const QTextLayout::FormatRange& range : block.layout()->formats())
            if (offset >= range.start && offset < range.start + range.length)
                return range.format.foreground().color();
        return QColor();
    }

    CSyntaxEdit edit;
};

TEST_F(EditTest, TypingInOneLineRecoloursThatLineAndAnOpenCommentTheRest)
{
    SetText("int a;\nint b;\nint c;\nint d;", 8);
    const int before = edit.Highlighter()->ColouredBlocks();
    QTest::keyClicks(&edit, "x");
    EXPECT_EQ(edit.Highlighter()->ColouredBlocks() - before, 1);
    EXPECT_EQ(ColourAt(24), QColor(0, 200, 50)); // "int" of the last line

    QTextCursor c = edit.textCursor();
    c.setPosition(0);
    edit.setTextCursor(c);
    QTest::keyClicks(&edit, "/*");
    EXPECT_EQ(ColourAt(26), QColor(0, 160, 0)); // the last line is inside the comment now
    EXPECT_TRUE(edit.font().fixedPitch());
}

TEST_F(EditTest, CtrlZExchangesWithTheTextBeforeTheDropAndIsAnUndoOtherwise)
{
    SetText("eins");
    edit.OnDropModule("Mo|dul");
    const QString dropped = "\n\"Mo|dul\"\neins";
    ASSERT_EQ(edit.toPlainText(), dropped);
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.toPlainText(), "eins");
    EXPECT_EQ(edit.textCursor().position(), 0);
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.toPlainText(), dropped);

    // After a reset (a loaded script, the demo) the kept text is empty: Ctrl+Z is an undo.
    SetText("zwei", 4);
    QTest::keyClicks(&edit, "x");
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.toPlainText(), "zwei");
}

TEST_F(EditTest, KeysCopyCutPasteAndTabOnce)
{
    QClipboard* clipboard = QApplication::clipboard();
    SetText("abc");
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(edit.toPlainText(), "");
    EXPECT_EQ(clipboard->text(), "abc");
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.toPlainText(), "abc"); // pasted on the press only
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.toPlainText(), "abc");
    QTest::keyClick(&edit, Qt::Key_Tab);
    EXPECT_EQ(edit.toPlainText(), "abc\t");
    EXPECT_TRUE(edit.hasFocus() || !edit.isActiveWindow());
}

TEST_F(EditTest, RightButtonWithShiftOrCtrlCopiesPastesOrCuts)
{
    QClipboard* clipboard = QApplication::clipboard();
    const auto release = [&](Qt::KeyboardModifiers mods) {
        const QPointF at(5, 5);
        QMouseEvent up(QEvent::MouseButtonRelease, at, edit.viewport()->mapToGlobal(at), Qt::RightButton, {}, mods);
        QApplication::sendEvent(edit.viewport(), &up);
    };
    SetText("abc");
    edit.selectAll();
    clipboard->clear();
    release(Qt::ShiftModifier);
    EXPECT_EQ(clipboard->text(), "abc");
    EXPECT_EQ(edit.toPlainText(), "abc");
    release(Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(edit.toPlainText(), "");
    release(Qt::ControlModifier);
    release(Qt::ControlModifier);
    EXPECT_EQ(edit.toPlainText(), "abcabc");
    // No menu opens with the modifiers held.
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), edit.mapToGlobal(QPoint(5, 5)),
                           Qt::ShiftModifier);
    QApplication::sendEvent(edit.viewport(), &menu);
    EXPECT_TRUE(menu.isAccepted());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(EditTest, DropsInsertAtTheCaretAndKeepTheTextForCtrlZ)
{
    struct Row {
        const char* name;
        QString text;
        int caret;
        std::function<void(CSyntaxEdit&)> drop;
        QString after;
        QString caretText;
    };
    const Row rows[] = {
        {"module", "ab", 1, [](CSyntaxEdit& e) { e.OnDropModule("G:Mo|dul"); }, "a\n\"G:Mo|dul\"\nb", "Pos.:3, 0"},
        {"function", "", 0, [](CSyntaxEdit& e) { e.OnDropFunction("G:Mo|dul:calculate"); },
         "\nrun(\"G:Mo|dul\",\"calculate\");\n", "Pos.:3, 0"},
        {"parameter", "x", 1, [](CSyntaxEdit& e) { e.OnDropParam("G:Modul:Count|Anzahl|5|0|9"); },
         "x\n//Parameter:Count Typ:int [0, 9]  Bedeutung:Anzahl \nget|setParameter(\"G:Modul\",\"Count\", ...);\n",
         "Pos.:4, 0"},
        {"parameter text without a path", "x", 1, [](CSyntaxEdit& e) { e.OnDropParam("|Anzahl|5|0|9"); }, "x",
         "Pos.:1, 1"},
        {"spectrum", "", 0, [](CSyntaxEdit& e) { e.DropSpectrum("Laser:L1|301", false); },
         "\n//Spektrum double-Datenfeld Dimension:[2, 301]\ngetSpectrum(\"Laser:L1\");\n", "Pos.:4, 0"},
        {"spectrum with CTRL replaces the argument", "s = getSpectrum(\"alt\");", 18,
         [](CSyntaxEdit& e) { e.DropSpectrum("Laser:L1|301", true); }, "s = getSpectrum(\"Laser:L1\");", "Pos.:1, 26"},
        {"after a comma with a blank", "setSpectrumColor(\"a\", 1, 2);", 23,
         [](CSyntaxEdit& e) { e.DropSpectrum("Laser:L1", true); }, "setSpectrumColor(\"a\", \"Laser:L1\");",
         "Pos.:1, 32"},
        {"spectrum with CTRL elsewhere", "ab", 1, [](CSyntaxEdit& e) { e.DropSpectrum("L1", true); }, "a\"L1\"b",
         "Pos.:1, 5"},
        {"several spectra are refused", "ab", 1, [](CSyntaxEdit& e) { e.DropSpectrum("A:S1;A:S2", false); }, "ab",
         "Pos.:1, 1"},
        {"a group is refused", "ab", 1, [](CSyntaxEdit& e) { e.OnDrop("A:*"); }, "ab", "Pos.:1, 1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetText(row.text, row.caret);
        row.drop(edit);
        EXPECT_EQ(edit.toPlainText(), row.after);
        EXPECT_EQ(edit.GetCaretText(), row.caretText);
        EXPECT_EQ(edit.GetUndoText(), row.after == row.text ? QString() : row.text);
    }
    EXPECT_TRUE(edit.CanDropParams() && edit.CanDropFunctions() && edit.CanDropModules());
    EXPECT_FALSE(edit.CanDropSpecs() || edit.CanDropGroup());
    EXPECT_FALSE(edit.CanDrop("A:S1;A:S2") || edit.CanDrop("A:*"));
    EXPECT_TRUE(edit.CanDrop("A:S1|3"));
}

TEST_F(EditTest, TheCaretTextFollowsTheCaret)
{
    SetText("ab\ncdef\n", 5);
    EXPECT_EQ(edit.GetCaretText(), "Pos.:2, 2");
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.GetCaretText(), "Pos.:3, 0");
    const QTextCursor start(edit.document());
    QTest::mouseClick(edit.viewport(), Qt::LeftButton, {}, edit.cursorRect(start).center());
    EXPECT_EQ(edit.GetCaretText(), "Pos.:1, 0");
}

} // namespace
