#include "app/yes_no_dialog.h"

#include "platform/prompter.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CYesNoDialog::CYesNoDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Dialog"));
    m_text = new QLabel(this);
    // The question names an entry as typed; no markup.
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setMinimumWidth(480);

    const char* const labels[4] = {"Ja", "Nein", "Ja, alle", "Nein, alle"};
    for (int code = 0; code < 4; ++code) {
        auto* button = new QPushButton(QString::fromUtf8(labels[code]), this);
        button->setAutoDefault(false);
        button->setDefault(false);
        connect(button, &QPushButton::clicked, this, [this, code] { done(code); });
        m_buttons[code] = button;
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_buttons[Yes]);
    buttons->addWidget(m_buttons[No]);
    buttons->addStretch();
    buttons->addWidget(m_buttons[YesToAll]);
    buttons->addWidget(m_buttons[NoToAll]);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addLayout(buttons);
}

void CYesNoDialog::SetText(const QString& text)
{
    m_text->setText(text);
}

QString CYesNoDialog::GetText() const
{
    return m_text->text();
}

QPushButton* CYesNoDialog::Button(int code) const
{
    return code >= 0 && code < 4 ? m_buttons[code] : nullptr;
}

void CYesNoDialog::reject()
{
    done(No);
}

void CYesNoDialog::keyPressEvent(QKeyEvent* event)
{
    // Without a default button Enter gives the dialog's OK result, which is "Nein".
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        done(No);
        return;
    }
    QDialog::keyPressEvent(event);
}

int ShowYesNoDialog(const std::string& question)
{
    CYesNoDialog dialog;
    dialog.SetText(QString::fromStdString(question));
    return platform::GetPrompter().RunModal(dialog);
}
