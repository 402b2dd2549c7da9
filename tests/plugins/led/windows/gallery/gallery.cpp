// Shows each window of the LED engine with the fixtures of tests/data/led/ as a real
// top-level window, waits until it stands, and saves its picture as <folder>/<name>.png.
//
//   led_windows_gallery <folder>
#include "windows/editor_win.h"
#include "windows/param_container_edit_wnd.h"
#include "windows/param_db_load_save_dlg.h"
#include "windows/led_fitter_params_edit_dlg.h"
#include "windows/param_show_ctrl.h"
#include "windows/reconstruction_spec_window_list.h"
#include "windows/spec_window.h"
#include "windows/spec_window_list.h"
#include "windows/text_enter_dlg.h"
#include "windows/view_settings_dlg.h"

#include "engine/color_data.h"
#include "engine/grid.h"
#include "engine/led_array.h"
#include "engine/led_db.h"
#include "engine/led_fitter.h"
#include "engine/spectra_set.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QSplitter>
#include <QTest>
#include <QVBoxLayout>

#include <clocale>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

QString g_folder;
int g_failures = 0;

// Shows the window, lets it settle and saves what it looks like.
void Shoot(QWidget& window, const char* name, const std::function<void()>& afterShow = {})
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window, 5000))
        std::fprintf(stderr, "%s: window not exposed\n", name);
    if (afterShow)
        afterShow();
    QTest::qWait(50);
    const QString path = QDir(g_folder).filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "%s: cannot save %s\n", name, qPrintable(path));
        ++g_failures;
    }
    window.hide();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C"); // before anything runs, as the program does
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    g_folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_folder);
    SetColorDataFolder(LED_COLOUR_DATA_DIR);

    // The LED database in the list editor over the record window, one row selected.
    LedDB db;
    db.LoadFromFile(LED_FIXTURE_DIR "/leds.txt");
    {
        QWidget form;
        form.setWindowTitle(QStringLiteral("LED-Daten"));
        auto* split = new QSplitter(Qt::Vertical, &form);
        auto* list = new CEditorWin(split);
        auto* record = new CParamContainerEditWnd(split);
        auto* layout = new QVBoxLayout(&form);
        layout->addWidget(split);
        record->autoKeys = false;
        record->SetKeys(db.GetKeys());
        list->SetRecordEditor(record);
        list->SetParamContainerSet(&db);
        list->SetColumnKeys({"Name", "Company", "SpectralModel", "PeakWavelength", "FWHM", "Material", "Shape"});
        form.resize(760, 560);
        split->setSizes({200, 360});
        Shoot(form, "editor", [&] { list->SelectRow(1); });
    }

    // The record window alone, with an edit open.
    {
        CParamContainerEditWnd record;
        record.setWindowTitle(QStringLiteral("CParamContainerEditWnd"));
        record.resize(400, 300);
        record.show();
        record.SetParamContainer(&db.EntryAt(2));
        Shoot(record, "record", [&] { record.BeginEdit(3); });
        record.EndEdit();
    }

    // The value display of a device.
    {
        CParamShowCtrl values;
        values.setWindowTitle(QStringLiteral("CParamShowCtrl"));
        values.names = {"Kanal 1 (blau)", "Kanal 2 (grün)", "Kanal 3 (rot)", "Temperatur", "Betriebsstunden"};
        values.values = {0.5, 1.0, 0.25, 31.4, 1520.0};
        values.readOnly = {false, false, false, true, true};
        values.resize(360, 200);
        values.show();
        values.UpdateScrollInfo();
        Shoot(values, "values");
    }

    // One spectrum window with the spectral fill and the cross-hair held.
    SpectraSet targets(LED_FIXTURE_DIR "/targets.speks");
    {
        CSpecWindow window;
        window.setWindowTitle(QStringLiteral("CSpecWindow"));
        window.SetTitle("Gruen\n0.500 1.000 ");
        window.SetSpectralFill(true);
        window.AddSpectra(targets);
        window.resize(640, 400);
        Shoot(window, "spectrum", [&] {
            QTest::mousePress(&window, Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
            QTest::mouseMove(&window, QPoint(210, 160));
        });
    }

    // The list of the three targets.
    {
        CSpecWindowList list;
        list.setWindowTitle(QStringLiteral("CSpecWindowList"));
        list.SetSpectralFill(true);
        list.resize(600, 400);
        list.show();
        if (!QTest::qWaitForWindowExposed(&list, 5000))
            std::fprintf(stderr, "spectrumlist: window not exposed\n");
        list.SetSpectra(targets);
        Shoot(list, "spectrumlist");
    }

    // Each target with its reconstruction by the fixture's LEDs.
    {
        LEDArray leds;
        for (int i = 0; i < 3; ++i)
            leds.AddLED(db.EntryAt(i), i);
        CReconstructionSpecWindowList list;
        list.setWindowTitle(QStringLiteral("CReconstructionSpecWindowList"));
        list.resize(600, 400);
        list.show();
        if (!QTest::qWaitForWindowExposed(&list, 5000))
            std::fprintf(stderr, "reconstruction: window not exposed\n");
        list.SetTargetSpectra(targets);
        const std::vector<std::vector<double>> drives = {{0.8, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 0.6}};
        for (int i = 0; i < 3; ++i)
            list.ShowReconstruction(i, leds, drives[static_cast<std::size_t>(i)]);
        Shoot(list, "reconstruction");
    }

    // The fitter settings with the fixture's targets.
    {
        LEDFitterSettings settings;
        for (int i = 0; i < targets.GetCount(); ++i)
            settings.TargetSpecs.AddSpectrum(targets.GetName(i), targets.GetSpectrum(i));
        settings.ObserverSpecs.AddSpectrum(targets.GetName(1), targets.GetSpectrum(1));
        CLedFitterParamsEditDlg dlg;
        dlg.SetSettings(settings);
        dlg.resize(1100, 560);
        dlg.show();
        if (!QTest::qWaitForWindowExposed(&dlg, 5000))
            std::fprintf(stderr, "fitter: window not exposed\n");
        dlg.OnInitDialog();
        Shoot(dlg, "fitter");
    }

    // The dialogs, as they open.
    {
        CViewSettingsDlg dlg;
        dlg.allKeys = db.GetKeys();
        dlg.visibleKeys = {"Name", "PeakWavelength", "FWHM"};
        dlg.condition = "PeakWavelength > 0.5";
        dlg.OnInitDialog();
        Shoot(dlg, "viewsettings");
    }
    {
        CParamDBLoadSaveDlg dlg(true);
        dlg.filePath = "/home/nutzer/leds.txt";
        dlg.dataSource = "DSN=";
        dlg.tableName = "DataTable";
        dlg.OnInitDialog();
        Shoot(dlg, "loadsave");
    }
    {
        CTextEnterDlg dlg;
        dlg.prompt = "Name des neuen Eintrags:";
        dlg.text = "LED_Neu";
        dlg.UpdateData(false);
        Shoot(dlg, "textenter");
    }
    return g_failures == 0 ? 0 : 1;
}
