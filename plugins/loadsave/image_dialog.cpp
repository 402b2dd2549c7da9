#include "image_dialog.h"

#include "messages.h"

#include "core/module_interface.h"
#include "core/spectrum.h"
#include "core/string_helpers.h"
#include "core/tree.h"
#include "platform/file_chooser.h"
#include "platform/prompter.h"

#include <xandril/xandril.h>

#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

const char kMirrored[] =
    "Möglicherweise ist die Diagrammdarstellung gespiegelt! Bitte bearbeiten Sie das Bild vor der Digitalisierung.";
const char kTooClose[] = "Der Achsenendpunkt liegt zu nah am Diagrammursprung!";
const char kNoName[] = "Bitte einen Spektrennamen eingeben!";

void Show(QWidget* parent, const char* text)
{
    platform::ShowMessage(parent, QGuiApplication::applicationDisplayName(), QString::fromUtf8(text));
}

QPushButton* Button(const char* name, const char* text, QWidget* parent)
{
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

// ---- DigitiserArea

DigitiserArea::DigitiserArea(QSize size, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("PictureArea"));
    setFixedSize(size);
    setCursor(Qt::CrossCursor);
}

void DigitiserArea::SetImage(QImage image)
{
    m_image = std::move(image);
    update();
}

void DigitiserArea::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, m_image);
}

void DigitiserArea::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPointF at = event->position();
    emit Clicked({at.x(), height() - at.y()});
}

// ---- ImageDialog

ImageDialog::ImageDialog(ModuleInterface* host, const QImage& picture, const std::string& defaultGroup,
                         const DigitiserAxes& axes, double border, QSize area, QWidget* parent)
    : QDialog(parent)
    , m_host(host)
    , m_defaultGroup(defaultGroup)
    , m_calibration(axes)
    , m_canvas(picture, area, border)
    , m_calibrated(std::make_unique<Spectrum>())
    , m_raw(std::make_unique<Spectrum>())
{
    setWindowTitle(QStringLiteral("Spektrenbild digitalisieren"));
    m_area = new DigitiserArea(area, this);
    m_points = new QPlainTextEdit(this);
    m_points->setObjectName(QStringLiteral("Spektrenkoordinaten"));
    m_points->setReadOnly(true);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("Name"));
    m_name->setMaxLength(127);
    m_group = new QLineEdit(this);
    m_group->setObjectName(QStringLiteral("Ablageordner"));
    m_ok = Button("OK", "OK", this);
    m_cancel = Button("Abbrechen", "Abbrechen", this);
    m_discard = Button("Discard", "Verwerfen +\nNeu beginnen", this);
    m_addSpectrum = Button("AddSpectrum", "Spektrum\nhinzufügen", this);
    m_save = Button("Save", "SPEICHERN", this);

    auto* side = new QVBoxLayout;
    side->addWidget(new QLabel(QStringLiteral("Spektrenkoordinaten"), this));
    side->addWidget(m_points, 1);
    side->addWidget(m_discard);
    side->addWidget(m_name);
    side->addWidget(m_addSpectrum);
    side->addWidget(new QLabel(QStringLiteral("Ablageordner"), this));
    side->addWidget(m_group);
    side->addWidget(m_save);
    side->addSpacing(12);
    side->addWidget(m_ok);
    side->addWidget(m_cancel);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_area, 0, Qt::AlignTop);
    layout->addLayout(side);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_area, &DigitiserArea::Clicked, this, &ImageDialog::OnClick);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_discard, &QPushButton::clicked, this, &ImageDialog::OnBnClickedDiscard);
    connect(m_addSpectrum, &QPushButton::clicked, this, &ImageDialog::OnBnClickedAddSpectrum);
    connect(m_save, &QPushButton::clicked, this, &ImageDialog::OnBnClickedSave);

    m_ok->setEnabled(false);
    Redraw();
}

ImageDialog::~ImageDialog() = default;

QSize ImageDialog::DefaultAreaSize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize free = screen ? screen->availableGeometry().size() : QSize(1280, 960);
    return QSize(std::max(640, free.width() * 3 / 4 - 200), std::max(480, free.height() * 3 / 4));
}

void ImageDialog::Redraw()
{
    std::vector<DigitiserPoint> raw;
    raw.reserve(static_cast<std::size_t>(m_raw->GetPointCount()));
    for (int i = 0; i < m_raw->GetPointCount(); ++i)
        raw.push_back({(*m_raw)[i].x, (*m_raw)[i].y});
    m_area->SetImage(m_canvas.Render(m_calibration, raw));
}

void ImageDialog::OnClick(DigitiserPoint position)
{
    if (m_calibration.GetStage() != DigitiserCalibration::kWantPoints) {
        switch (m_calibration.SetPosition(position)) {
        case DigitiserCalibration::Click::Mirrored:
            Show(this, kMirrored);
            return;
        case DigitiserCalibration::Click::TooClose:
            Show(this, kTooClose);
            return;
        case DigitiserCalibration::Click::Taken:
            break;
        }
        Redraw();
        return;
    }
    const DigitisedPoint point = m_calibration.Digitise(position);
    m_raw->AddPoint(SPoint(point.raw.x, point.raw.y));
    m_raw->SortPoints();
    m_pointList += point.line;
    m_points->setPlainText(QString::fromStdString(m_pointList));
    m_calibrated->AddPoint(SPoint(point.calibrated.x, point.calibrated.y));
    m_calibrated->SortPoints();
    Redraw();
}

void ImageDialog::OnBnClickedDiscard()
{
    m_calibrated->ClearPoints();
    m_raw->ClearPoints();
    m_calibration.Restart();
    m_pointList.clear();
    m_points->clear();
    Redraw();
}

void ImageDialog::Insert(std::unique_ptr<Spectrum> spectrum, const std::string& name)
{
    spectrum->SetName(ns_tree::NormalizePath(name));
    SpectrumTree* tree = m_host ? m_host->GetSpectrumTree() : nullptr;
    if (tree && tree->AddInserter(spectrum.get()))
        spectrum.release();
}

void ImageDialog::OnBnClickedAddSpectrum()
{
    const std::string name = trim(m_name->text().toStdString(), " ");
    const std::string group = trim(m_group->text().isEmpty() ? m_defaultGroup : m_group->text().toStdString(), " ");
    if (m_calibrated->GetPointCount() > 0) {
        // Without a name the spectrum would take the group's own path and replace the group.
        if (name.empty()) {
            Show(this, kNoName);
            return;
        }
        Insert(std::exchange(m_calibrated, std::make_unique<Spectrum>()), group + ":" + name);
        Insert(std::exchange(m_raw, std::make_unique<Spectrum>()), group + ":SpecRawPnts:" + name);
        m_pointList.clear();
        m_points->clear();
        m_name->clear();
        Redraw();
    }
    m_ok->setEnabled(true);
}

void ImageDialog::OnBnClickedSave()
{
    m_calibrated->SetName(ns_tree::NormalizePath(m_defaultGroup + ":" + m_name->text().toStdString()));
    QString path = platform::GetFileChooser().GetSaveFileName(this, QString(), QStringLiteral("Unbenannt.xml"),
                                                              QStringLiteral("XML Files (*.xml)"));
    if (!path.isEmpty()) {
        if (QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".xml");
        ns_xandril::XMLWriteModul writer;
        writer.enterGroup("Spectrums");
        writer.enterGroup("Spectrum");
        m_calibrated->writeToXML(writer);
        writer.leaveGroup();
        writer.leaveGroup();
        if (!writer.writeToFile(QFile::encodeName(path).toStdString()))
            Show(this, loadsave::msg::kCannotOpen);
    }
    m_ok->setEnabled(true);
}
