#include "sample_dialog.h"

#include "digitiser_canvas.h"
#include "digitiser_checks.h"
#include "form_widgets.h"
#include "image_dialog.h"
#include "load_module_base.h"
#include "module_support.h"

#include "platform/file_chooser.h"
#include "platform/prompter.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>

#include <algorithm>

using loadsave::Named;

IMPLEMENT_DYNCREATE(SampleDialog, CModuleEditor)

SampleDialogLayout SampleDialogLayoutFor(int width, int height, int widestButton)
{
    SampleDialogLayout layout;
    layout.formWidth = std::max(width, 456);
    layout.formHeight = std::max(height, 180);
    layout.width = std::min(layout.formWidth - std::max(160, widestButton + 20), 656);
    layout.buttonX = layout.width + 20;
    return layout;
}

namespace {

void Show(QWidget* parent, const std::string& text)
{
    platform::ShowMessage(parent, QGuiApplication::applicationDisplayName(), QString::fromStdString(text));
}

QLineEdit* Edit(const char* name, QWidget* parent, int x, int y)
{
    auto* edit = Named(new QLineEdit(parent), name);
    edit->setGeometry(x, y, 120, 22);
    return edit;
}

QLabel* Label(const char* text, QWidget* parent, int x, int y, int width)
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setGeometry(x, y, width, 20);
    return label;
}

} // namespace

SampleDialog::SampleDialog()
    : CModuleEditor(IDD)
{
    // The controls down to the picture margin need 340 pixels; a lower pane scrolls.
    QWidget* page = loadsave::NewScrolledPage(this, QSize(540, 340), [this](QSize size) { PlaceTopRows(size); });
    m_description = loadsave::NewDescriptionLabel(page);
    m_description->setGeometry(10, 8, 296, 60);
    m_loadPicture = Named(new QPushButton(QStringLiteral("BILD LADEN"), page), "LoadPicture");
    m_loadPicture->resize(130, 24);
    m_fileName = Named(new QLineEdit(page), "FileName");
    m_fileName->setGeometry(10, 76, 296, 22);
    m_fileName->setReadOnly(true);
    m_digitise = Named(new QPushButton(QStringLiteral("SPEKTREN DIGITALISIEREN"), page), "Digitise");
    // As wide as its text needs in the font in use.
    m_digitise->resize(std::max(180, m_digitise->sizeHint().width()), 24);

    auto* axes = new QGroupBox(
        QStringLiteral("Diagrammparameter (Gleitkommazahlen mit Punkt und opt. Vorzeichen) "), page);
    axes->setGeometry(10, 110, 520, 150);
    Label("Startwellenlänge (in nm)", axes, 10, 26, 200);
    m_xStart = Edit("XStart", axes, 220, 24);
    Label("Endwellenlänge (in nm)", axes, 10, 52, 200);
    m_xEnd = Edit("XEnd", axes, 220, 50);
    Label("Minimaler Diagrammwert", axes, 10, 78, 200);
    m_yStart = Edit("YStart", axes, 220, 76);
    Label("Maximaler Diagrammwert ", axes, 10, 104, 200);
    m_yEnd = Edit("YEnd", axes, 220, 102);
    m_yLog = Named(new QCheckBox(QStringLiteral("  Diagrammwerte sind \n  10er-logarithmisch"), axes), "YLog");
    m_yLog->setGeometry(350, 70, 170, 40);
    m_xLog = Named(new QCheckBox(QStringLiteral("  Wellenlängenwerte sind \n  10er-logarithmisch"), axes), "XLog");
    m_xLog->setGeometry(350, 22, 170, 40);

    auto* crop = new QGroupBox(QStringLiteral("Bildausschnitt"), page);
    crop->setGeometry(10, 270, 520, 60);
    Label("Bildrand (Pixel)", crop, 10, 26, 200);
    m_picOff = Edit("PicOff", crop, 220, 24);

    setMinimumSize(456, 180);
    connect(m_loadPicture, &QPushButton::clicked, this, &SampleDialog::OnBnClickedLoadPicture);
    connect(m_digitise, &QPushButton::clicked, this, &SampleDialog::OnBnClickedDigitise);
}

SampleDialog::~SampleDialog() = default;

void SampleDialog::InitModuleEditor()
{
    m_descriptionText = "Laden von Bildern aus Dateien des Typs *.bmp, *.jpg, *.png ...";
    UpdateData(false);
}

void SampleDialog::DoDataExchange(CDataExchange* pDX)
{
    CModuleEditor::DoDataExchange(pDX);
    Module* module = GetModule();
    if (!module)
        return;
    ns_param::Paramora& p = module->getParameters();
    if (!pDX->m_bSaveAndValidate)
        m_description->setText(QString::fromStdString(m_descriptionText));

    struct Field {
        const char* name;
        QLineEdit* edit;
    };
    for (const Field& f : {Field{"FileName", m_fileName}, Field{"XStart", m_xStart}, Field{"XEnd", m_xEnd},
                           Field{"YStart", m_yStart}, Field{"YEnd", m_yEnd}, Field{"PicOff", m_picOff}}) {
        std::string value = loadsave::StringParameter(*module, f.name);
        DDX_Text(pDX, f.edit, value);
        p.setStringParameter(f.name, value);
    }
    for (const auto& [name, box] : {std::pair{"YLog", m_yLog}, std::pair{"XLog", m_xLog}}) {
        bool ticked = loadsave::BoolParameter(*module, name);
        DDX_Check(pDX, box, ticked);
        p.setBoolParameter(name, ticked);
    }
}

void SampleDialog::PlaceTopRows(QSize size)
{
    const SampleDialogLayout l = SampleDialogLayoutFor(
        size.width(), size.height(), std::max(m_loadPicture->width(), m_digitise->width()));
    m_description->setGeometry(10, m_description->y(), l.width, m_description->height());
    m_loadPicture->move(l.buttonX, m_description->y());
    m_fileName->setGeometry(10, m_fileName->y(), l.width, m_fileName->height());
    m_digitise->move(l.buttonX, m_fileName->y());
}

void SampleDialog::OnBnClickedLoadPicture()
{
    Module* module = GetModule();
    if (!module || !UpdateData(true))
        return;
    const QString path = platform::GetFileChooser().GetOpenFileName(
        this, QString(), QString(),
        QStringLiteral("Alle Dateien (*.bmp *.jpg *.png);;BITMAPs (*.bmp);;JPEGs (*.jpg);;PNGs (*.png)"));
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    ns_param::Paramora& p = module->getParameters();
    p.setStringParameter("File", QFile::encodeName(info.absoluteFilePath()).toStdString());
    p.setStringParameter("FileName", info.fileName().toStdString());
    p.setStringParameter("PreName", info.completeBaseName().toStdString());
    m_fileName->setText(info.fileName());
}

void SampleDialog::OnBnClickedDigitise()
{
    Module* module = GetModule();
    if (!module || !UpdateData(true))
        return;
    DigitiserForm form;
    form.xStart = loadsave::StringParameter(*module, "XStart");
    form.xEnd = loadsave::StringParameter(*module, "XEnd");
    form.yStart = loadsave::StringParameter(*module, "YStart");
    form.yEnd = loadsave::StringParameter(*module, "YEnd");
    form.picOff = loadsave::StringParameter(*module, "PicOff");
    form.file = loadsave::StringParameter(*module, "File");
    form.xLog = loadsave::BoolParameter(*module, "XLog");
    form.yLog = loadsave::BoolParameter(*module, "YLog");
    const DigitiserInput input = CheckDigitiserForm(form);
    if (!input.message.empty()) {
        Show(this, input.message);
        return;
    }
    const QImage picture = LoadDigitiserPicture(form.file);
    if (picture.isNull()) {
        Show(this, "Das Bild '" + form.file + "' konnte nicht geladen werden!");
        return;
    }
    ImageDialog dialog(module->GetModuleInterface(), picture, loadsave::StringParameter(*module, "PreName"),
                       input.axes, input.border, ImageDialog::DefaultAreaSize());
    platform::GetPrompter().RunModal(dialog);
}
