#pragma once
// Small windows of the program: the status window shown during start-up (the logo with one
// line of text, its light-grey background cut away, slightly see-through), the splash window
// class and the project comment dialog (both unused by the program).
#include <QDialog>
#include <QImage>
#include <QString>

class QPlainTextEdit;

// The program's logo, 505 x 140 pixels on RGB(240, 240, 240).
QImage LoadLogo();

class CTransparentDialogDlg : public QDialog {
    Q_OBJECT
public:
    // Pixels of this colour are cut out of the window.
    static constexpr QRgb kColourKey = 0xFFF0F0F0;
    static constexpr int kAlpha = 210;

    explicit CTransparentDialogDlg(QWidget* parent = nullptr);

    // The one line shown at the bottom; shortened with "…" when it does not fit.
    void SetText(const QString& text);
    const QString& GetText() const { return m_text; }

    // Sizes the window to the logo, centres it on the screen, on top of other windows, and shows it.
    void Create();

    // The window's picture: the logo with the text. Pixels left in the key colour are cut away.
    QImage Render() const;
    // Where the text goes: the window without 50 pixels on the left and 7 at the bottom.
    QRect TextRect() const;
    // The text as drawn into TextRect (elided at its end).
    QString ShownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QFont TextFont() const;
    void UpdateMask();

    QString m_text;
    QImage m_picture;
};

class CSplashDialog : public QDialog {
    Q_OBJECT
public:
    explicit CSplashDialog(QWidget* parent = nullptr);
    void SetText(const QString& text) { m_text = text; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QImage m_picture;
};

class CProjectDescriptionDlg : public QDialog {
    Q_OBJECT
public:
    explicit CProjectDescriptionDlg(QWidget* parent = nullptr);
    const QString& GetComment() const { return m_comment; }
    void SetComment(const QString& comment);

    void accept() override;

private:
    QString m_comment;
    QPlainTextEdit* m_edit;
};
