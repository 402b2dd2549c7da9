#pragma once
// "Eingabe": a one-line text prompt, and the two functions that ask through it.

#include "platform/data_exchange.h"

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;

class CTextEnterDlg : public QDialog, public platform::DataExchanger {
    Q_OBJECT

public:
    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_TEXT = 24007,
        IDC_PROMPT = 24008,
    };

    explicit CTextEnterDlg(QWidget* parent = nullptr);
    ~CTextEnterDlg() override;

    // Runs the dialog modally with prompt and text shown; QDialog::Accepted after "OK".
    int DoModal();

    std::string prompt;
    std::string text;

    void accept() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    QLabel* m_prompt;
    QLineEdit* m_text;
};

// Asks for a text with text preset; after "OK" the edited text replaces it, otherwise it
// stays as it was.
void AskText(const std::string& prompt, std::string& text);
// Asks for a text starting empty; empty after cancel.
std::string AskText(const std::string& prompt);
