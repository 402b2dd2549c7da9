#pragma once
// The common base of the two-column table windows: a vertical scroll bar with the row as
// its unit, a draggable column split, a band per row and an in-place editor right of the
// split. Derived windows say what the rows hold and what a commit does.
//
// The editor commits on a left click in the window, on a scroll, and when the focus leaves
// both the window and the editor; Enter and Escape do nothing.

#include "windows/param_table_layout.h"

#include "platform/colorref.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QString>

class QLineEdit;

class CParamTableWnd : public QAbstractScrollArea {
    Q_OBJECT

public:
    ~CParamTableWnd() override;

    // Scroll range 0 .. row count (page = visible rows) and the split placed and clamped;
    // nothing before the window is first shown (then it runs by itself).
    void UpdateScrollInfo();

    // Opens the editor on the row counted from the topmost visible one; commits it.
    void BeginEdit(int row);
    void EndEdit();

    // A scroll code as the bar sends it; position for the thumb codes.
    void OnVScroll(param_table::ScrollCode code, int position = 0);

    bool IsEditing() const { return m_editing; }
    int GetRowHeight() const { return m_rowHeight; }
    int GetVisibleRows() const { return m_visibleRows; }
    int GetSplit() const { return m_split; }
    int GetFirstRow() const { return m_firstRow; }
    QLineEdit* GetEditField() const { return m_edit; }
    // The window font: the menu font's height, "Segoe UI" or a sans-serif face.
    static QFont TableFont();

protected:
    explicit CParamTableWnd(const char* className, QWidget* parent);

    // What a row shows.
    virtual int RowCount() const = 0;
    virtual QString RowKey(int index) const = 0;
    // The value text and band colour of row index.
    virtual QString RowValue(int index, COLORREF& band) const = 0;
    // False: the window shows only its empty text.
    virtual bool HasData() const { return true; }
    virtual QString EmptyText() const { return QString(); }
    // Prepares the edit of row index: false refuses it; text is the editor's start text
    // (left as it is when keepText is set).
    virtual bool PrepareEdit(int index, QString& text) = 0;
    // Commits the editor's text of the row being edited.
    virtual void CommitEdit(const QString& text) = 0;
    // Locks the rows while painting and committing; the base does nothing.
    virtual void LockRows() const {}
    virtual void UnlockRows() const {}

    void PaintTable(QPainter& p) const;

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    int ClientWidth() const;
    int ClientHeight() const;

private:
    QFont m_font;
    QLineEdit* m_edit = nullptr;
    int m_rowHeight = 20;
    int m_visibleRows = 1;
    int m_split = -1;
    int m_firstRow = 0;
    bool m_editing = false;
    bool m_splitHot = false;
    bool m_dragging = false;
    bool m_scrolling = false;
    bool m_shown = false;
};
