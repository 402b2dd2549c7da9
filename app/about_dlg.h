#pragma once
// "Info zu Orvanta": the logo, a few words on the program and its libraries, the disclaimer and
// the note on the XML library. Modeless; a new one opens for each request.
#include <QDialog>
#include <QImage>

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
};
