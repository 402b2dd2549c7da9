#include "app/status_dialogs.h"

#include "platform/prompter.h"

#include <QApplication>
#include <QBitmap>
#include <QDialogButtonBox>
#include <QFontInfo>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

// Resources of a static library are registered by hand.
static void InitVelmontResources()
{
    Q_INIT_RESOURCE(velmont);
}

// The picture with every pixel of colour key made fully transparent.
static QImage WithTransparentKey(const QImage& picture, QRgb key)
{
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] | 0xFF000000u) == (key | 0xFF000000u))
                line[x] = 0;
    }
    return image;
}

QImage LoadLogo()
{
    static const bool registered = (InitVelmontResources(), true);
    (void)registered;
    return QImage(QStringLiteral(":/velmont/logo.png"));
}

CTransparentDialogDlg::CTransparentDialogDlg(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Without a compositing window manager the window simply stays opaque.
    setWindowOpacity(kAlpha / 255.0);
    m_picture = LoadLogo().convertToFormat(QImage::Format_RGB32);
    resize(m_picture.isNull() ? QSize(505, 140) : m_picture.size());
}

void CTransparentDialogDlg::SetText(const QString& text)
{
    m_text = text;
    UpdateMask();
    update();
}

void CTransparentDialogDlg::Create()
{
    if (m_picture.isNull()) {
        platform::ShowMessage(this, QStringLiteral("OrvantaGUI"), QStringLiteral("Error loading bitmap"),
                              platform::PromptIcon::Error);
        show();
        return;
    }
    const QSize size = m_picture.size();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize(1024, 768);
    setGeometry(screenSize.width() / 2 - size.width() / 2, screenSize.height() / 2 - size.height() / 2,
                size.width(), size.height());
    show();
    raise();
}

QFont CTransparentDialogDlg::TextFont() const
{
    QFont font(QStringLiteral("Segoe UI"));
    font.setStyleHint(QFont::SansSerif);
    const QFontInfo menuFont(QApplication::font("QMenu"));
    font.setPixelSize(std::max(6, menuFont.pixelSize() - 2));
    font.setWeight(QFont::Light);
    return font;
}

QRect CTransparentDialogDlg::TextRect() const
{
    return rect().adjusted(50, 0, 0, -7);
}

QString CTransparentDialogDlg::ShownText() const
{
    return QFontMetrics(TextFont()).elidedText(m_text, Qt::ElideRight, TextRect().width());
}

QImage CTransparentDialogDlg::Render() const
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(kColourKey);
    QPainter painter(&image);
    if (!m_picture.isNull())
        painter.drawImage(0, 0, m_picture);
    painter.setFont(TextFont());
    painter.setPen(Qt::black);
    painter.drawText(TextRect(), Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine, ShownText());
    return image;
}

void CTransparentDialogDlg::UpdateMask()
{
    setMask(QBitmap::fromImage(WithTransparentKey(Render(), kColourKey).createAlphaMask()));
}

void CTransparentDialogDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    UpdateMask();
}

void CTransparentDialogDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, Render());
}

CSplashDialog::CSplashDialog(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint), m_picture(LoadLogo())
{
    setWindowOpacity(220 / 255.0);
    resize(m_picture.isNull() ? QSize(505, 140) : m_picture.size());
}

void CSplashDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_picture.isNull()) {
        // The picture's pixel at (10, 10) is its transparent colour.
        painter.drawImage(rect(), WithTransparentKey(m_picture, m_picture.pixel(10, 10)));
    }
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(Qt::white);
    painter.setPen(Qt::black);
    painter.drawText(rect().adjusted(0, 0, 0, -5), Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine, m_text);
}

CProjectDescriptionDlg::CProjectDescriptionDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Projektkommentar"));
    auto* label = new QLabel(QStringLiteral("Bitte geben Sie einen gewünschten Projektkommentar ein:"), this);
    m_edit = new QPlainTextEdit(this);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_edit);
    layout->addWidget(buttons);
}

void CProjectDescriptionDlg::SetComment(const QString& comment)
{
    m_comment = comment;
    m_edit->setPlainText(comment);
}

void CProjectDescriptionDlg::accept()
{
    m_comment = m_edit->toPlainText();
    QDialog::accept();
}
