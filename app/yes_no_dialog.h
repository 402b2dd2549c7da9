#pragma once
// The four-answer question before an existing entry is overwritten: "Ja" 0, "Nein" 1,
// "Ja, alle" 2, "Nein, alle" 3. No button is a default; Enter, Escape and the close box answer
// "Nein", so that a dismissed question never overwrites anything.
#include <QDialog>
#include <QString>

#include <string>

class QLabel;
class QPushButton;

class CYesNoDialog : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString text READ GetText WRITE SetText)
public:
    enum Answer { Yes = 0, No = 1, YesToAll = 2, NoToAll = 3 };

    explicit CYesNoDialog(QWidget* parent = nullptr);

    void SetText(const QString& text);
    QString GetText() const;
    // The button that answers code (0..3).
    QPushButton* Button(int code) const;

    // Escape and the close box: "Nein".
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* m_text;
    QPushButton* m_buttons[4];
};

// Asks the question modally (through the installed prompter) and returns the code of the answer.
int ShowYesNoDialog(const std::string& question);
