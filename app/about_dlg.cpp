#include "app/about_dlg.h"

#include "app/status_dialogs.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_picture(LoadLogo())
{
    setWindowTitle(QStringLiteral("Info zu Orvanta"));
    setAttribute(Qt::WA_DeleteOnClose);
    // An open about box does not keep the program running once the main window closed.
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* program = new QLabel(
        QStringLiteral("Orvanta, die Werkbank für Spektren: Laden, Berechnen, Auswerten und Anzeigen von "
                       "Spektren mit den Funktionsmodulen der geladenen Programmbibliotheken."),
        this);
    program->setWordWrap(true);
    auto* disclaimer = new QLabel(
        QStringLiteral("Für Schäden, die mittelbar oder unmittelbar aus der Nutzung des Programms entstehen, "
                       "insbesondere Folgeschäden, wird keine Haftung übernommen."),
        this);
    disclaimer->setWordWrap(true);
    auto* xmlLine1 = new QLabel(QStringLiteral("Orvanta nutzt libxml2.so, eine "
                                               "OpenSource-Programmnbibliothek zum Parsen und Erzeugen "),
                                this);
    auto* xmlLine2 = new QLabel(QStringLiteral("von XML-Dokumenten. libxml2 ist mit MIT-Lizenz veröffentlicht."), this);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    // Room for the logo, which the paint handler draws at (10, 10).
    layout->setContentsMargins(10, m_picture.height() + 20, 10, 10);
    layout->addWidget(program);
    layout->addWidget(disclaimer);
    layout->addWidget(xmlLine1);
    layout->addWidget(xmlLine2);
    layout->addWidget(buttons);
    setMinimumWidth(m_picture.width() + 20);
}

void CAboutDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(10, 10, m_picture);
}
