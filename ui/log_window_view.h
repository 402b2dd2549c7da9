#pragma once
// The log pane at the bottom of the main window: coloured lines, newest at the bottom, long
// messages split in two, about 512 lines kept. Ctrl+C copies the format text of the newest
// message. CNameWindowView is a small caption view of the same family (not placed by the frame).
#include "platform/colorref.h"
#include "app/log_model.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QWidget>

#include <cstdarg>
#include <string>

// The font of the log: "Segoe UI" (else any sans serif), 11 points at the screen's resolution.
QFont MakeLogFont(const QWidget& widget, int weight);

class CLogWindowView : public QAbstractScrollArea {
    Q_OBJECT
public:
    // The text that every metric is measured with.
    static constexpr const char* kTestText = "Ein Test-String";

    explicit CLogWindowView(QWidget* parent = nullptr);
    ~CLogWindowView() override;

    // Formats the message (printf rules, at most 1023 bytes) and appends it in the default colour.
    void AddMessage(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void AddMessageV(const char* format, va_list args) __attribute__((format(printf, 2, 0)));
    // The same; the newest line (the second of a split message) takes colour.
    void AddColorMessage(COLORREF colour, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void AddColorMessageV(COLORREF colour, const char* format, va_list args) __attribute__((format(printf, 3, 0)));
    // Appends a message that the caller formatted already (LogModel::FormatMessage).
    void AddFormattedMessage(const std::string& format, const std::string& text);
    void AddFormattedColorMessage(COLORREF colour, const std::string& format, const std::string& text);

    // Puts the format text of the newest message on the clipboard.
    void Copy();

    const LogModel& Model() const { return m_model; }
    int TopLine() const { return m_topLine; }
    int LinesPerPage() const { return m_linesPerPage; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void RecalcMetrics();
    // Follows the newest line: bottom of the list, left edge; then paints at once.
    void ShowNewest();

    LogModel m_model;
    int m_linesPerPage = 0;
    int m_widthUnitsPerPage = 0;
    int m_topLine = 0;
    int m_horizontalOffset = 0;
};

class CNameWindowView : public QWidget {
    Q_OBJECT
public:
    static constexpr COLORREF kTextColour = 0x649632;
    static constexpr COLORREF kBackground = 0xF0F0F0;

    explicit CNameWindowView(QWidget* parent = nullptr);
    void SetName(const std::string& name);
    const std::string& GetName() const { return m_name; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string m_name = "Test";
};
