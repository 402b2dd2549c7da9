#include "script/syntax_edit.h"

#include "script/compiler_form.h"

#include "platform/colorref_qt.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>

namespace script {

ScriptHighlighter::ScriptHighlighter(QTextDocument* document)
    : QSyntaxHighlighter(document)
{
}

ScriptHighlighter::~ScriptHighlighter() = default;

void ScriptHighlighter::highlightBlock(const QString& text)
{
    ++m_coloured;
    const int previous = previousBlockState();
    const SyntaxState start = previous < 0 ? SyntaxState::Normal : static_cast<SyntaxState>(previous);
    const SyntaxResult result = SyntaxSpans(text, 0, static_cast<int>(text.size()), start);
    for (const SyntaxSpan& span : result.spans) {
        if (span.style == SyntaxStyle::Plain)
            continue;
        QTextCharFormat format;
        format.setForeground(ToQColor(StyleColour(span.style)));
        if (StyleBold(span.style))
            format.setFontWeight(QFont::Bold);
        format.setFontItalic(StyleItalic(span.style));
        setFormat(span.start, span.length, format);
    }
    setCurrentBlockState(static_cast<int>(result.end));
}

} // namespace script

using namespace script;

CSyntaxEdit::CSyntaxEdit(QWidget* parent)
    : QPlainTextEdit(parent)
    , m_highlighter(new ScriptHighlighter(document()))
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    setFont(font);
    QPalette colours = palette();
    colours.setColor(QPalette::Text, ToQColor(kBaseColour));
    setPalette(colours);
    setTabChangesFocus(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        UpdateCaret();
        ShowStatus();
    });
}

CSyntaxEdit::~CSyntaxEdit() = default;

void CSyntaxEdit::Reset()
{
    m_previousText.clear();
    m_undoText.clear();
}

void CSyntaxEdit::Recolour()
{
    m_currentText = toPlainText();
    UpdateCaret();
    ShowStatus();
    m_previousText = m_currentText;
}

void CSyntaxEdit::UpdateCaret()
{
    QTextCursor caret = textCursor();
    caret.setPosition(caret.selectionStart());
    m_caretLine = caret.blockNumber() + 1;
    m_caretColumn = caret.positionInBlock();
}

void CSyntaxEdit::ShowStatus()
{
    if (m_owner)
        m_owner->ShowStatus();
}

bool CSyntaxEdit::CanDropParams() const { return isEnabled(); }
bool CSyntaxEdit::CanDropFunctions() const { return isEnabled(); }
bool CSyntaxEdit::CanDropModules() const { return isEnabled(); }

bool CSyntaxEdit::CanDrop(std::string text)
{
    return isEnabled() && text.find_first_of(";*") == std::string::npos;
}

void CSyntaxEdit::OnDropParam(const std::string& text)
{
    InsertDrop(ParameterDropText(QString::fromStdString(text)));
}

void CSyntaxEdit::OnDropFunction(const std::string& text)
{
    InsertDrop(FunctionDropText(QString::fromStdString(text)));
}

void CSyntaxEdit::OnDropModule(const std::string& path)
{
    InsertDrop(ModuleDropText(QString::fromStdString(path)));
}

void CSyntaxEdit::OnDrop(std::string text)
{
    DropSpectrum(text, QGuiApplication::keyboardModifiers().testFlag(Qt::ControlModifier));
}

void CSyntaxEdit::DropSpectrum(const std::string& text, bool ctrl)
{
    if (!CanDrop(text))
        return;
    QString insert = SpectrumDropText(QString::fromStdString(text), ctrl);
    if (insert.isEmpty())
        return;
    std::optional<ArgumentRange> range;
    if (ctrl) {
        range = ArgumentSpan(toPlainText(), textCursor().selectionStart());
        if (range && range->blank)
            insert.prepend(QLatin1Char(' '));
    }
    InsertDrop(insert, range);
}

void CSyntaxEdit::InsertDrop(const QString& text, std::optional<ArgumentRange> range)
{
    if (text.isEmpty() || !isEnabled())
        return;
    m_undoText = toPlainText();
    QTextCursor caret = textCursor();
    if (range) {
        caret.setPosition(range->start);
        caret.setPosition(range->end, QTextCursor::KeepAnchor);
    }
    caret.insertText(text);
    setTextCursor(caret);
    Recolour();
}

void CSyntaxEdit::ExchangeWithUndo()
{
    m_exchanging = true;
    const QString before = toPlainText();
    m_previousText.clear();
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    all.insertText(m_undoText);
    QTextCursor start(document());
    setTextCursor(start);
    m_undoText = before;
    Recolour();
    m_exchanging = false;
}

void CSyntaxEdit::keyPressEvent(QKeyEvent* event)
{
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    if (event == QKeySequence::Undo && !m_undoText.isEmpty()) {
        ExchangeWithUndo();
        event->accept();
        return;
    }
    if (ctrl && event->key() == Qt::Key_D) {
        cut();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Tab && !ctrl) {
        insertPlainText(QStringLiteral("\t"));
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CSyntaxEdit::keyReleaseEvent(QKeyEvent* event)
{
    // Copy and paste happened on the press already; the release only shows the caret.
    UpdateCaret();
    ShowStatus();
    QPlainTextEdit::keyReleaseEvent(event);
}

void CSyntaxEdit::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        const Qt::KeyboardModifiers mods = event->modifiers();
        const bool shift = mods.testFlag(Qt::ShiftModifier);
        const bool ctrl = mods.testFlag(Qt::ControlModifier);
        if (shift || ctrl) {
            QTextCursor caret = textCursor();
            if (caret.selectionEnd() - caret.selectionStart() <= 1)
                setTextCursor(cursorForPosition(event->position().toPoint()));
            if (shift && ctrl)
                cut();
            else if (shift)
                copy();
            else
                paste();
            event->accept();
            return;
        }
    }
    QPlainTextEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
        UpdateCaret();
        ShowStatus();
    }
}

void CSyntaxEdit::contextMenuEvent(QContextMenuEvent* event)
{
    // With SHIFT or CTRL the right button copies, pastes or cuts instead.
    if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) {
        event->accept();
        return;
    }
    QPlainTextEdit::contextMenuEvent(event);
}
