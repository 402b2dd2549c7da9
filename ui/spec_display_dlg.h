#pragma once
// The modeless dialog "Anzeigeoptionen": edits the settings of the diagram's plot (colours,
// behaviour, axis ranges and unit, colouring of the shown spectra, drawing speed) and the
// frame's picture-export size, and applies each change to the plot at once.
//
// Fields are filled with their signals blocked and act on user edits only, so filling never
// writes a value back. Number fields take "." and are read silently: an entry that does not
// parse leaves its setting alone.
#include "platform/data_exchange.h"

#include <QDialog>
#include <QPointer>

#include <map>
#include <string>

class CMainFrame;
class CSpecDisplay;
class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSlider;

namespace ns_param {
class Paramora;
}

// The X-range field text of a value in 1/mm: trunc(1000000 / (x + offset) - 0.5); empty when
// that is not finite or does not fit an int.
std::string WaveNumberText(double x, double offset);
// trunc(x) as text; empty when x is not finite or does not fit an int.
std::string TruncatedText(double x);

class CSpecDisplayDlg : public QDialog, public platform::DataExchanger {
    Q_OBJECT
public:
    // Control ids of the behaviour.
    enum : int {
        IDC_BGCOLOR = 1020,
        IDC_BORDERCOLOR = 1021,
        IDC_COLOR_EXPLICIT = 1022,
        IDC_COLOR_AUTO = 1027,
        IDC_DRAWBGIMAGE = 1016,
        IDC_MINX = 1012,
        IDC_MAXX = 1013,
        IDC_MINY = 1017,
        IDC_MAXY = 1018,
        IDC_ZOOM = 1023,
        IDC_DRAG = 1024,
        IDC_AUTOMINMAX = 1025,
        IDC_AUTOXMINMAX = 1026,
        IDC_AUTOZEROYMIN = 1028,
        IDC_OPTDISPLAY = 1032,
        IDC_INFOLEFT = 1033,
        IDC_MODE_RANDOM = 1035,
        IDC_MODE_ASCENDING = 1036,
        IDC_MODE_DESCENDING = 1037,
        IDC_INFOLEGEND = 1038,
        IDC_UNIT_NM = 1041,
        IDC_UNIT_PER_MM = 1042,
        IDC_MODE_GREY = 1043,
        IDC_SPEED = 1044,
        IDC_SPEED_FINE = 1045,
        IDC_SPEED_FAST = 1046,
        IDC_LABEL_MINY = 1048,
        IDC_LABEL_MAXY = 1049,
        IDC_EXPORT_WIDTH = 32781,
        IDC_EXPORT_HEIGHT = 32783,
        IDC_YAXISNAME = 32785,
    };

    // frame may be null (no export size, no Y-axis caption); it is the parent.
    CSpecDisplayDlg(CSpecDisplay* plot, CMainFrame* frame);
    // Unregisters from the plot if it is the registered dialog.
    ~CSpecDisplayDlg() override;

    // The control of an id above (1 for "Schliessen"), or null.
    QWidget* GetDlgItem(int id) const;

    // "Schliessen": a save exchange, then the dialog ends and hides.
    void accept() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    void BuildControls();
    void ConnectHandlers();
    void OnInitDialog();
    ns_param::Paramora& Settings() const;
    void RepaintPlot();
    void ShowXRange(bool withOffset);
    void EnableRangeFields();
    void EnableSpeed();
    void UpdateYLabels();

    // Handlers.
    void OnChooseColour(int id);
    void OnAutoColour();
    // What the plot does after a handler's save exchange and own step.
    enum Effect { kRedraw = 1, kResetRange = 2, kDrawInfo = 4 };
    // A save exchange, step (may be null), then the effects in the order DrawInfo,
    // NeedRedraw, ResetToMinMax, repaint.
    void SaveThen(void (CSpecDisplayDlg::*step)(), int effects);
    void StoreColourMode();
    void StoreUnit();
    void OnYAxisNameEdited();
    void OnSpeed();

    QPointer<CSpecDisplay> m_pSpecDisplay;
    QSlider* m_SpeedSlider = nullptr;
    QPointer<CMainFrame> m_pFrame;
    std::map<int, QWidget*> m_items;
};
