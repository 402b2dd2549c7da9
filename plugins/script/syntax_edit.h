#pragma once
// The script editor: colours the script while it is typed, keeps TAB as a character, shows
// the caret position through its form, exchanges the whole text with the text kept before the
// last drop (CTRL+Z), and turns spectra, modules, parameters and functions dropped from the
// trees into pieces of script.
#include "core/module_drop_target.h"
#include "script/syntax_rules.h"

#include <QPlainTextEdit>
#include <QSyntaxHighlighter>

#include <optional>
#include <string>

class CCompilerForm;

namespace script {

// Colours each line (block) by the classifier; the block state carries an open block
// comment or string into the next line, so later lines follow a change.
class ScriptHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit ScriptHighlighter(QTextDocument* document);
    ~ScriptHighlighter() override;
    // Lines coloured so far (tests count what a change re-colours).
    int ColouredBlocks() const { return m_coloured; }

protected:
    void highlightBlock(const QString& text) override;

private:
    int m_coloured = 0;
};

} // namespace script

class CSyntaxEdit : public QPlainTextEdit, public ModuleDropTarget {
    Q_OBJECT
public:
    explicit CSyntaxEdit(QWidget* parent = nullptr);
    ~CSyntaxEdit() override;

    // The form whose status line shows the caret (may be null).
    void SetOwner(CCompilerForm* owner) { m_owner = owner; }
    // Forgets the kept texts: the previous text and the undo text.
    void Reset();
    // Takes the text as it stands now and shows the status line; the colours follow every
    // change by themselves.
    void Recolour();

    QString GetCaretText() const { return script::CaretText(m_caretLine, m_caretColumn); }
    int GetCaretLine() const { return m_caretLine; }
    int GetCaretColumn() const { return m_caretColumn; }
    const QString& GetUndoText() const { return m_undoText; }
    script::ScriptHighlighter* Highlighter() const { return m_highlighter; }

    bool CanDropParams() const override;
    bool CanDropFunctions() const override;
    bool CanDropModules() const override;
    void OnDropParam(const std::string& text) override;
    void OnDropFunction(const std::string& text) override;
    void OnDropModule(const std::string& path) override;
    // Refuses a text with ";" or "*" (several spectra, a whole group).
    bool CanDrop(std::string text) override;
    // A spectrum from the spectrum tree; CTRL held inserts only its quoted name.
    void OnDrop(std::string text) override;
    void DropSpectrum(const std::string& text, bool ctrl);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void UpdateCaret();
    void ShowStatus();
    // Keeps the whole text as the undo text and puts text at the caret (or over range) as one
    // undoable step; the caret ends after it.
    void InsertDrop(const QString& text, std::optional<script::ArgumentRange> range = std::nullopt);
    // CTRL+Z with an undo text: the whole text and the undo text change places.
    void ExchangeWithUndo();

    CCompilerForm* m_owner = nullptr;
    QString m_previousText;
    QString m_undoText;
    QString m_currentText;
    int m_caretLine = 1;
    int m_caretColumn = 0;
    bool m_exchanging = false;
    script::ScriptHighlighter* m_highlighter;
};
