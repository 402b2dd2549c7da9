#include "ui/spec_display_dlg.h"

#include "controls/spectrum_plot.h"
#include "core/spectrum.h"
#include "platform/color_chooser.h"
#include "ui/main_frame.h"
#include "ui/spectrum_colouring.h"

#include <paramora/paramora.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <utility>

namespace {

// The bool settings with a check box, in the order of the exchange.
constexpr std::pair<const char*, int> kChecks[] = {
    {"InfoLeftPos", CSpecDisplayDlg::IDC_INFOLEFT},       {"InfoLegende", CSpecDisplayDlg::IDC_INFOLEGEND},
    {"UseOptSpecDisplay", CSpecDisplayDlg::IDC_OPTDISPLAY}, {"AutoZeroYMin", CSpecDisplayDlg::IDC_AUTOZEROYMIN},
    {"AutoMinMax", CSpecDisplayDlg::IDC_AUTOMINMAX},       {"AutoXMinMax", CSpecDisplayDlg::IDC_AUTOXMINMAX},
    {"ZoomAllowed", CSpecDisplayDlg::IDC_ZOOM},            {"DragAllowed", CSpecDisplayDlg::IDC_DRAG},
    {"DrawBgImage", CSpecDisplayDlg::IDC_DRAWBGIMAGE},
};

// The colour-mode buttons in the order of "ColorMode".
constexpr int kModes[] = {CSpecDisplayDlg::IDC_MODE_RANDOM, CSpecDisplayDlg::IDC_MODE_ASCENDING,
                          CSpecDisplayDlg::IDC_MODE_DESCENDING, CSpecDisplayDlg::IDC_MODE_GREY};

// The shortest text that reads back to the same double, so showing a value and reading the
// field back never rounds it.
QString NumberText(double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return QString::fromLatin1(text, static_cast<int>(result.ptr - text));
}

// A decimal field and a double setting: shown, or read back when the field parses.
void ExchangeNumber(CDataExchange* pDX, QLineEdit* edit, double* value)
{
    if (!value)
        return;
    if (!pDX->m_bSaveAndValidate) {
        edit->setText(NumberText(*value));
        return;
    }
    double read = 0;
    if (platform::ParseDouble(edit->text(), read))
        *value = read;
}

// The export size stays within 300..1000 x 225..750. The comparisons are unsigned, so a
// negative entry becomes the maximum.
void ClampExportSize(int& width, int& height)
{
    if (static_cast<unsigned>(width) < 300u)
        width = 300;
    if (static_cast<unsigned>(height) < 225u)
        height = 225;
    if (static_cast<unsigned>(width) > 1000u)
        width = 1000;
    if (static_cast<unsigned>(height) > 750u)
        height = 750;
}

} // namespace

std::string TruncatedText(double x)
{
    if (!std::isfinite(x))
        return {};
    const double t = std::trunc(x);
    if (t < static_cast<double>(INT_MIN) || t > static_cast<double>(INT_MAX))
        return {};
    return std::to_string(static_cast<int>(t));
}

std::string WaveNumberText(double x, double offset)
{
    return TruncatedText(1000000.0 / (x + offset) - 0.5);
}

CSpecDisplayDlg::CSpecDisplayDlg(CSpecDisplay* plot, CMainFrame* frame)
    : QDialog(frame), m_pSpecDisplay(plot), m_pFrame(frame)
{
    setWindowTitle(QStringLiteral("Anzeigeoptionen"));
    QFont font(QStringLiteral("Segoe UI"), 8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    BuildControls();
    ConnectHandlers();
    OnInitDialog();
}

CSpecDisplayDlg::~CSpecDisplayDlg()
{
    if (m_pSpecDisplay && m_pSpecDisplay->GetDispDlg() == this)
        m_pSpecDisplay->SetDispDlg(nullptr);
}

QWidget* CSpecDisplayDlg::GetDlgItem(int id) const
{
    const auto it = m_items.find(id);
    return it == m_items.end() ? nullptr : it->second;
}

void CSpecDisplayDlg::BuildControls()
{
    auto check = [this](int id, const char* text) {
        auto* box = new QCheckBox(QString::fromUtf8(text));
        m_items[id] = box;
        return box;
    };
    auto radio = [this](int id, const char* text) {
        auto* button = new QRadioButton(QString::fromUtf8(text));
        m_items[id] = button;
        return button;
    };
    auto edit = [this](int id) {
        auto* field = new QLineEdit;
        m_items[id] = field;
        return field;
    };
    auto button = [this](int id, const char* text) {
        auto* push = new QPushButton(QString::fromUtf8(text));
        push->setAutoDefault(false);
        m_items[id] = push;
        return push;
    };
    auto label = [this](int id, const char* text) {
        auto* l = new QLabel(QString::fromUtf8(text));
        if (id)
            m_items[id] = l;
        return l;
    };

    auto* general = new QGroupBox(QStringLiteral("Allgemeine Diagrammeinstellungen"));
    auto* generalGrid = new QGridLayout(general);
    generalGrid->addWidget(check(IDC_INFOLEFT, "     Infofenster links "), 0, 0, 1, 3);
    QCheckBox* legend = check(IDC_INFOLEGEND, "     Spektrenlegende anzeigen ");
    legend->setVisible(false);
    generalGrid->addWidget(legend, 1, 0, 1, 3);
    generalGrid->addWidget(check(IDC_OPTDISPLAY, "     zeitoptimierte Anzeige "), 2, 0, 1, 3);
    m_SpeedSlider = new QSlider(Qt::Horizontal);
    m_items[IDC_SPEED] = m_SpeedSlider;
    generalGrid->addWidget(label(IDC_SPEED_FINE, "genauer"), 3, 0);
    generalGrid->addWidget(m_SpeedSlider, 3, 1);
    generalGrid->addWidget(label(IDC_SPEED_FAST, "schneller"), 3, 2);
    generalGrid->addWidget(check(IDC_ZOOM, "     Zoomen erlaubt"), 4, 0, 1, 3);
    generalGrid->addWidget(check(IDC_DRAG, "     Verschieben erlaubt"), 5, 0, 1, 3);
    generalGrid->addWidget(check(IDC_DRAWBGIMAGE, "     Spektralfarben anzeigen"), 6, 0, 1, 3);
    generalGrid->addWidget(button(IDC_BGCOLOR, "Hintergrundfarbe"), 7, 0, 1, 2);
    generalGrid->addWidget(button(IDC_BORDERCOLOR, "Rahmenfarbe"), 7, 2);

    auto* axes = new QGroupBox(QStringLiteral("Diagrammachseneinstellungen"));
    auto* axesGrid = new QGridLayout(axes);
    axesGrid->addWidget(label(IDC_LABEL_MINY, "  MinY:"), 0, 0);
    axesGrid->addWidget(edit(IDC_MINY), 0, 1);
    axesGrid->addWidget(label(IDC_LABEL_MAXY, "  MaxY:"), 0, 2);
    axesGrid->addWidget(edit(IDC_MAXY), 0, 3);
    axesGrid->addWidget(check(IDC_AUTOMINMAX, "     datenbezogen automatisch"), 1, 0, 1, 2);
    axesGrid->addWidget(check(IDC_AUTOZEROYMIN, "     Y-Min auf Null festlegen"), 1, 2, 1, 2);
    axesGrid->addWidget(label(0, "  MinX:"), 2, 0);
    axesGrid->addWidget(edit(IDC_MINX), 2, 1);
    axesGrid->addWidget(label(0, "  MaxX:"), 2, 2);
    axesGrid->addWidget(edit(IDC_MAXX), 2, 3);
    axesGrid->addWidget(check(IDC_AUTOXMINMAX, "     datenbezogen automatisch"), 3, 0, 1, 4);
    axesGrid->addWidget(label(0, "Einheit:"), 4, 0);
    axesGrid->addWidget(radio(IDC_UNIT_NM, "Wellenlänge nm"), 4, 1);
    axesGrid->addWidget(radio(IDC_UNIT_PER_MM, "Frequenz/Wellenzahl 1/mm"), 4, 2, 1, 2);
    axesGrid->addWidget(label(0, "Y-Achsbezeichner:"), 5, 0);
    axesGrid->addWidget(edit(IDC_YAXISNAME), 5, 1, 1, 3);

    auto* data = new QGroupBox(QStringLiteral("Datendarstellung"));
    auto* dataGrid = new QGridLayout(data);
    dataGrid->addWidget(radio(IDC_MODE_RANDOM, "zufällige Farben"), 0, 0);
    dataGrid->addWidget(radio(IDC_MODE_ASCENDING, "Spektralfarben aufsteigend (Blau-Rot)"), 1, 0);
    dataGrid->addWidget(radio(IDC_MODE_DESCENDING, "Spektralfarben absteigend (Rot-Blau)"), 2, 0);
    dataGrid->addWidget(radio(IDC_MODE_GREY, "zufällige Grauwerte"), 3, 0);
    dataGrid->addWidget(button(IDC_COLOR_EXPLICIT, "Spektrenauswahl \nexplizit einfärben"), 0, 1, 2, 1);
    dataGrid->addWidget(button(IDC_COLOR_AUTO, "Spektrenauswahl automatisch einfärben"), 2, 1, 2, 1);

    auto* exporting = new QGroupBox(QStringLiteral("Bilddatei-Export"));
    auto* exportGrid = new QGridLayout(exporting);
    exportGrid->addWidget(label(0, "Spektrenfenster X-Grösse:"), 0, 0);
    exportGrid->addWidget(edit(IDC_EXPORT_WIDTH), 0, 1);
    exportGrid->addWidget(label(0, "Y-Grösse:"), 0, 2);
    exportGrid->addWidget(edit(IDC_EXPORT_HEIGHT), 0, 3);
    QLabel* hint = label(0, "Bitte aktivieren Sie die Spektrenfenstergröße im Menüeintrag 'Ansicht'.");
    hint->setWordWrap(true);
    exportGrid->addWidget(hint, 1, 0, 1, 4);

    auto* close = new QPushButton(QStringLiteral("Schliessen"));
    close->setDefault(true);
    m_items[1] = close;

    auto* layout = new QVBoxLayout(this);
    for (QWidget* part : {static_cast<QWidget*>(general), static_cast<QWidget*>(axes), static_cast<QWidget*>(data),
                          static_cast<QWidget*>(exporting)})
        layout->addWidget(part);
    layout->addWidget(close, 0, Qt::AlignRight);

    // The two radio groups are independent of each other.
    auto* units = new QButtonGroup(this);
    units->addButton(static_cast<QAbstractButton*>(GetDlgItem(IDC_UNIT_NM)));
    units->addButton(static_cast<QAbstractButton*>(GetDlgItem(IDC_UNIT_PER_MM)));
    auto* modes = new QButtonGroup(this);
    for (int id : kModes)
        modes->addButton(static_cast<QAbstractButton*>(GetDlgItem(id)));
}

void CSpecDisplayDlg::ConnectHandlers()
{
    auto clicked = [this](int id, auto handler) {
        connect(static_cast<QAbstractButton*>(GetDlgItem(id)), &QAbstractButton::clicked, this, handler);
    };
    auto edited = [this](int id, auto handler) {
        connect(static_cast<QLineEdit*>(GetDlgItem(id)), &QLineEdit::textEdited, this, handler);
    };
    for (int id : {IDC_BGCOLOR, IDC_BORDERCOLOR, IDC_COLOR_EXPLICIT})
        clicked(id, [this, id] { OnChooseColour(id); });
    clicked(IDC_COLOR_AUTO, &CSpecDisplayDlg::OnAutoColour);
    // The handlers of the check and radio buttons and range fields: a save exchange, the
    // button's own step, then what the plot does.
    const struct {
        int id;
        void (CSpecDisplayDlg::*step)();
        int effects;
    } saving[] = {
        {IDC_MODE_RANDOM, &CSpecDisplayDlg::StoreColourMode, 0},
        {IDC_MODE_ASCENDING, &CSpecDisplayDlg::StoreColourMode, 0},
        {IDC_MODE_DESCENDING, &CSpecDisplayDlg::StoreColourMode, 0},
        {IDC_MODE_GREY, &CSpecDisplayDlg::StoreColourMode, 0},
        {IDC_UNIT_NM, &CSpecDisplayDlg::StoreUnit, kRedraw | kResetRange},
        {IDC_UNIT_PER_MM, &CSpecDisplayDlg::StoreUnit, kRedraw | kResetRange},
        {IDC_AUTOMINMAX, &CSpecDisplayDlg::EnableRangeFields, kRedraw | kResetRange},
        {IDC_AUTOXMINMAX, &CSpecDisplayDlg::EnableRangeFields, kRedraw | kResetRange},
        {IDC_INFOLEFT, nullptr, kDrawInfo | kRedraw},
        {IDC_INFOLEGEND, nullptr, kDrawInfo | kRedraw},
        {IDC_DRAWBGIMAGE, nullptr, kRedraw},
        {IDC_OPTDISPLAY, &CSpecDisplayDlg::EnableSpeed, kRedraw},
        {IDC_AUTOZEROYMIN, nullptr, kResetRange},
        {IDC_MINX, nullptr, kResetRange},
        {IDC_MAXX, nullptr, kResetRange},
        {IDC_MINY, nullptr, kResetRange},
        {IDC_MAXY, nullptr, kResetRange},
    };
    for (const auto& handler : saving) {
        auto run = [this, step = handler.step, effects = handler.effects] { SaveThen(step, effects); };
        if (auto* field = qobject_cast<QLineEdit*>(GetDlgItem(handler.id)))
            connect(field, &QLineEdit::textEdited, this, run);
        else
            clicked(handler.id, run);
    }
    edited(IDC_YAXISNAME, &CSpecDisplayDlg::OnYAxisNameEdited);
    connect(m_SpeedSlider, &QSlider::valueChanged, this, &CSpecDisplayDlg::OnSpeed);
    connect(static_cast<QPushButton*>(GetDlgItem(1)), &QPushButton::clicked, this, &CSpecDisplayDlg::accept);
}

ns_param::Paramora& CSpecDisplayDlg::Settings() const
{
    return m_pSpecDisplay->MainSpectrumView;
}

void CSpecDisplayDlg::OnInitDialog()
{
    if (!m_pSpecDisplay)
        return;
    ns_param::Paramora& s = Settings();
    if (m_pFrame) {
        static_cast<QLineEdit*>(GetDlgItem(IDC_EXPORT_WIDTH))->setText(QString::number(m_pFrame->GetExportWidth()));
        static_cast<QLineEdit*>(GetDlgItem(IDC_EXPORT_HEIGHT))->setText(QString::number(m_pFrame->GetExportHeight()));
        if (const std::string* name = s.getStringParameter("YAxisName"))
            static_cast<QLineEdit*>(GetDlgItem(IDC_YAXISNAME))->setText(QString::fromStdString(*name));
    }
    {
        // The range first, so that the stored position is not clamped to the default range.
        const QSignalBlocker blocker(m_SpeedSlider);
        m_SpeedSlider->setRange(1, 16);
        m_SpeedSlider->setTickPosition(QSlider::TicksBelow);
        m_SpeedSlider->setTickInterval(15);
        if (const int* distance = s.getIntParameter("SampleDist"))
            m_SpeedSlider->setValue(*distance);
    }
    UpdateData(false);

    EnableRangeFields();
    UpdateYLabels();
    m_pSpecDisplay->SetDispDlg(this);

    const int* unit = s.getIntParameter("Unit");
    const bool nanometres = !unit || *unit == 0;
    static_cast<QAbstractButton*>(GetDlgItem(nanometres ? IDC_UNIT_NM : IDC_UNIT_PER_MM))->setChecked(true);
    ShowXRange(true);

    if (const int* mode = s.getIntParameter("ColorMode"); mode && *mode >= 0 && *mode <= 3)
        static_cast<QAbstractButton*>(GetDlgItem(kModes[*mode]))->setChecked(true);
    EnableSpeed();
}

void CSpecDisplayDlg::DoDataExchange(CDataExchange* pDX)
{
    if (!m_pSpecDisplay)
        return;
    ns_param::Paramora& s = Settings();
    const bool save = pDX->m_bSaveAndValidate;

    for (const auto& [name, id] : kChecks)
        if (bool* value = s.getBoolParameter(name))
            DDX_Check(pDX, static_cast<QAbstractButton*>(GetDlgItem(id)), *value);

    ExchangeNumber(pDX, static_cast<QLineEdit*>(GetDlgItem(IDC_MAXY)), s.getDoubleParameter("MaxY"));
    ExchangeNumber(pDX, static_cast<QLineEdit*>(GetDlgItem(IDC_MINY)), s.getDoubleParameter("MinY"));

    if (int* distance = s.getIntParameter("SampleDist"))
        *distance = m_SpeedSlider->value();

    auto* minField = static_cast<QLineEdit*>(GetDlgItem(IDC_MINX));
    auto* maxField = static_cast<QLineEdit*>(GetDlgItem(IDC_MAXX));
    int a = 0;
    int b = 0;
    const bool read = platform::ParseInt(minField->text(), a) && platform::ParseInt(maxField->text(), b);
    double* minX = s.getDoubleParameter("MinX");
    double* maxX = s.getDoubleParameter("MaxX");
    if (static_cast<QAbstractButton*>(GetDlgItem(IDC_UNIT_NM))->isChecked()) {
        if (read && a > 0 && b > 0 && a < b) {
            ExchangeNumber(pDX, minField, minX);
            ExchangeNumber(pDX, maxField, maxX);
        }
    } else if (read && a > 0 && b > 0 && b < a && minX && maxX) {
        *minX = 1000000 / a;
        *maxX = 1000000 / b;
    }

    if (m_pFrame) {
        int width = m_pFrame->GetExportWidth();
        int height = m_pFrame->GetExportHeight();
        auto* widthField = static_cast<QLineEdit*>(GetDlgItem(IDC_EXPORT_WIDTH));
        auto* heightField = static_cast<QLineEdit*>(GetDlgItem(IDC_EXPORT_HEIGHT));
        if (save) {
            platform::ParseInt(widthField->text(), width);
            platform::ParseInt(heightField->text(), height);
        }
        ClampExportSize(width, height);
        m_pFrame->SetExportSize(width, height);
        if (!save) {
            widthField->setText(QString::number(width));
            heightField->setText(QString::number(height));
        }
        if (std::string* name = s.getStringParameter("YAxisName"))
            DDX_Text(pDX, static_cast<QLineEdit*>(GetDlgItem(IDC_YAXISNAME)), *name);
    }

    UpdateYLabels();
}

void CSpecDisplayDlg::accept()
{
    UpdateData(true);
    QDialog::accept();
}

void CSpecDisplayDlg::RepaintPlot()
{
    if (m_pSpecDisplay)
        m_pSpecDisplay->update();
}

void CSpecDisplayDlg::ShowXRange(bool withOffset)
{
    ns_param::Paramora& s = Settings();
    const double minX = s.getDoubleParameter("MinX") ? *s.getDoubleParameter("MinX") : 0.0;
    const double maxX = s.getDoubleParameter("MaxX") ? *s.getDoubleParameter("MaxX") : 0.0;
    const bool nanometres = static_cast<QAbstractButton*>(GetDlgItem(IDC_UNIT_NM))->isChecked();
    const double offset = withOffset ? 1e-9 : 0.0;
    const std::string minText = nanometres ? TruncatedText(minX) : WaveNumberText(minX, offset);
    const std::string maxText = nanometres ? TruncatedText(maxX) : WaveNumberText(maxX, offset);
    static_cast<QLineEdit*>(GetDlgItem(IDC_MINX))->setText(QString::fromStdString(minText));
    static_cast<QLineEdit*>(GetDlgItem(IDC_MAXX))->setText(QString::fromStdString(maxText));
}

void CSpecDisplayDlg::EnableRangeFields()
{
    // Each row's fields are editable only without its automatic range.
    const std::pair<int, std::array<int, 2>> rows[] = {{IDC_AUTOMINMAX, {IDC_MAXY, IDC_MINY}},
                                                       {IDC_AUTOXMINMAX, {IDC_MAXX, IDC_MINX}}};
    for (const auto& [automatic, fields] : rows) {
        const bool manual = !static_cast<QAbstractButton*>(GetDlgItem(automatic))->isChecked();
        for (int id : fields)
            GetDlgItem(id)->setEnabled(manual);
    }
}

void CSpecDisplayDlg::EnableSpeed()
{
    const bool optimised = static_cast<QAbstractButton*>(GetDlgItem(IDC_OPTDISPLAY))->isChecked();
    for (int id : {IDC_SPEED, IDC_SPEED_FINE, IDC_SPEED_FAST})
        GetDlgItem(id)->setEnabled(optimised);
}

void CSpecDisplayDlg::UpdateYLabels()
{
    const bool* density = m_pSpecDisplay ? Settings().getBoolParameter("ShowDensity") : nullptr;
    const bool dens = density && *density;
    static_cast<QLabel*>(GetDlgItem(IDC_LABEL_MINY))->setText(dens ? QStringLiteral("MinY(D):") : QStringLiteral("  MinY:"));
    static_cast<QLabel*>(GetDlgItem(IDC_LABEL_MAXY))->setText(dens ? QStringLiteral("MaxY(D):") : QStringLiteral("  MaxY:"));
}

void CSpecDisplayDlg::OnChooseColour(int id)
{
    if (!m_pSpecDisplay)
        return;
    if (const std::optional<COLORREF> colour = platform::GetColorChooser().ChooseColor(this, RGB(0, 0, 0))) {
        if (id == IDC_BGCOLOR) {
            m_pSpecDisplay->SetBackgroundColor(*colour);
        } else if (id == IDC_BORDERCOLOR) {
            m_pSpecDisplay->SetBorderColor(*colour);
        } else {
            for (Spectrum* spectrum : m_pSpecDisplay->GetShownList())
                spectrum->SetColor(*colour);
            m_pSpecDisplay->NeedRedraw(true);
            RepaintPlot();
        }
    }
    UpdateData(false);
}

void CSpecDisplayDlg::OnAutoColour()
{
    if (!m_pSpecDisplay)
        return;
    const int* mode = Settings().getIntParameter("ColorMode");
    ColourSpectra(m_pSpecDisplay->GetShownList(), mode ? *mode : 0);
    UpdateData(false);
    m_pSpecDisplay->NeedRedraw(true);
    RepaintPlot();
}

void CSpecDisplayDlg::SaveThen(void (CSpecDisplayDlg::*step)(), int effects)
{
    if (!m_pSpecDisplay)
        return;
    UpdateData(true);
    if (step)
        (this->*step)();
    if (effects & kDrawInfo)
        m_pSpecDisplay->DrawInfo();
    if (effects & kRedraw)
        m_pSpecDisplay->NeedRedraw(true);
    if (effects & kResetRange)
        m_pSpecDisplay->ResetToMinMax();
    if (effects & kRedraw)
        RepaintPlot();
}

void CSpecDisplayDlg::StoreColourMode()
{
    for (int mode = 0; mode < 4; ++mode)
        if (static_cast<QAbstractButton*>(GetDlgItem(kModes[mode]))->isChecked())
            Settings().setIntParameter("ColorMode", mode);
}

void CSpecDisplayDlg::StoreUnit()
{
    ShowXRange(false);
    const bool perMillimetre = static_cast<QAbstractButton*>(GetDlgItem(IDC_UNIT_PER_MM))->isChecked();
    Settings().setIntParameter("Unit", perMillimetre ? 1 : 0);
}

void CSpecDisplayDlg::OnYAxisNameEdited()
{
    if (!m_pSpecDisplay)
        return;
    if (m_pFrame)
        Settings().setStringParameter("YAxisName",
                                      static_cast<QLineEdit*>(GetDlgItem(IDC_YAXISNAME))->text().toStdString());
    m_pSpecDisplay->NeedRedraw(true);
    RepaintPlot();
}

void CSpecDisplayDlg::OnSpeed()
{
    if (!m_pSpecDisplay)
        return;
    UpdateData(true);
    Settings().setIntParameter("SampleDist", m_SpeedSlider->value());
    UpdateData(false);
    m_pSpecDisplay->NeedRedraw(true);
    RepaintPlot();
}
