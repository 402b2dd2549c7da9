// The digitiser's calibration, form checks and picture layout, without a window.
#include "digitiser_calibration.h"
#include "digitiser_checks.h"
#include "picture_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

// A calibration with origin O, the x axis of length lx at angle degrees, the y axis of
// length ly perpendicular to it.
DigitiserCalibration Calibrated(const DigitiserAxes& axes, DigitiserPoint o, double lx, double ly, double degrees)
{
    const double a = degrees * std::numbers::pi / 180;
    DigitiserCalibration cal(axes);
    EXPECT_EQ(cal.SetPosition(o), DigitiserCalibration::Click::Taken);
    EXPECT_EQ(cal.SetPosition({o.x + lx * std::cos(a), o.y + lx * std::sin(a)}), DigitiserCalibration::Click::Taken);
    EXPECT_EQ(cal.SetPosition({o.x - ly * std::sin(a), o.y + ly * std::cos(a)}), DigitiserCalibration::Click::Taken);
    EXPECT_EQ(cal.GetStage(), DigitiserCalibration::kWantPoints);
    return cal;
}

} // namespace

TEST(DigitiserCalibration, PointsOfKnownDiagrams)
{
    const DigitiserAxes linear{380, 780, 0, 1, false, false, 0};
    const DigitiserAxes logX{100, 1000, 0, 1, true, false, 0};
    const DigitiserAxes logY{380, 780, 1, 1000, false, true, 0};
    struct Row {
        const char* name;
        DigitiserAxes axes;
        double degrees;
        double u, v; // the click in axis pixels of a 400 x 200 diagram
        DigitiserPoint raw;
        DigitiserPoint calibrated;
        const char* line;
    };
    const Row rows[] = {
        {"linear", linear, 0, 100, 50, {100, 50}, {480, 0.25}, "480.00     0.2\r\n"},
        {"tilted by 10 degrees", linear, 10, 100, 50, {100, 50}, {480, 0.25}, "480.00     0.2\r\n"},
        {"log x, middle", logX, 0, 200, 60, {200, 60}, {316.2, 0.3}, "316.23     0.3\r\n"},
        {"log y", logY, 0, 300, 100, {300, 100}, {680, 31.623}, "680.00     31.6\r\n"},
        {"left of the origin", linear, 0, -30.004, 20, {0, 20}, {380, 0.1}, "380.00     0.1\r\n"},
        {"below and beyond", linear, 10, 420, -10, {420, -10}, {780, 0}, "780.00     0.0\r\n"},
        {"negative hundredths round up", linear, 0, 10, -1.234, {10, -1.23}, {390, 0}, "390.00     0.0\r\n"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const DigitiserCalibration cal = Calibrated(r.axes, {37, 21}, 400, 200, r.degrees);
        const DigitisedPoint p = cal.Digitise(cal.FromAxisPixels({r.u, r.v}));
        EXPECT_NEAR(p.raw.x, r.raw.x, 1e-9);
        EXPECT_NEAR(p.raw.y, r.raw.y, 1e-9);
        EXPECT_NEAR(p.calibrated.x, r.calibrated.x, 1e-9);
        EXPECT_NEAR(p.calibrated.y, r.calibrated.y, 1e-9);
        EXPECT_EQ(p.line, r.line);
    }
}

TEST(DigitiserCalibration, AxisPixelsRoundTripAndCorner)
{
    const DigitiserCalibration cal = Calibrated({380, 780, 0, 1}, {50, 40}, 300, 150, 10);
    EXPECT_NEAR(cal.GetXAxisLength(), 300, 1e-9);
    EXPECT_NEAR(cal.GetYAxisLength(), 150, 1e-9);
    const DigitiserPoint p{123.5, 77.25};
    const DigitiserPoint back = cal.FromAxisPixels(cal.ToAxisPixels(p));
    EXPECT_NEAR(back.x, p.x, 1e-9);
    EXPECT_NEAR(back.y, p.y, 1e-9);
    const DigitiserPoint corner = cal.ToAxisPixels(cal.GetCorner());
    EXPECT_NEAR(corner.x, 300, 1e-9);
    EXPECT_NEAR(corner.y, 150, 1e-9);
    EXPECT_NEAR(cal.GetXSpan(), 400, 1e-12);
}

TEST(DigitiserCalibration, EndClicksMirroredOrOnTheOriginKeepTheStage)
{
    using Click = DigitiserCalibration::Click;
    DigitiserCalibration cal({380, 780, 0, 1});
    ASSERT_EQ(cal.SetPosition({100, 100}), Click::Taken);
    EXPECT_EQ(cal.SetPosition({99, 150}), Click::Mirrored);
    EXPECT_EQ(cal.SetPosition({100, 100}), Click::TooClose);
    EXPECT_EQ(cal.SetPosition({101, 101}), Click::TooClose);
    EXPECT_EQ(cal.GetStage(), DigitiserCalibration::kWantXEnd);
    ASSERT_EQ(cal.SetPosition({300, 100}), Click::Taken);
    EXPECT_EQ(cal.SetPosition({100, 99}), Click::Mirrored);
    EXPECT_EQ(cal.SetPosition({100.5, 101}), Click::TooClose);
    EXPECT_EQ(cal.GetStage(), DigitiserCalibration::kWantYEnd);
    ASSERT_EQ(cal.SetPosition({100, 200}), Click::Taken);
    EXPECT_EQ(cal.GetStage(), DigitiserCalibration::kWantPoints);
    cal.Restart();
    EXPECT_EQ(cal.GetStage(), DigitiserCalibration::kWantOrigin);
}

TEST(DigitiserCalibration, PointLineUsesOneMoreDecimalThanYStart)
{
    EXPECT_EQ(DigitiserPointLine(512.3456, 0.12345, 2), "512.35     0.123\r\n");
    EXPECT_EQ(DigitiserPointLine(-1.006, 7, 0), "-1.01     7.0\r\n");
    EXPECT_DOUBLE_EQ(RoundToScale(-1.234, 100), -1.23);
    EXPECT_DOUBLE_EQ(RoundToScale(1.234, 100), 1.23);
    EXPECT_DOUBLE_EQ(RoundToScale(-0.0004, 1000), 0);
}

TEST(DigitiserChecks, EveryMessageInItsOrder)
{
    const DigitiserForm good{"380", "780", "0.00", "1", "5", "/bilder/scan.png", false, false};
    struct Row {
        const char* name;
        DigitiserForm form;
        const char* message;
    };
    auto with = [&](auto change) {
        DigitiserForm f = good;
        change(f);
        return f;
    };
    const Row rows[] = {
        {"all good", good, ""},
        {"comma in XStart", with([](auto& f) { f.xStart = "380,5"; }),
         "Bitte für Startwellenlänge in nm eine gültige Zahl (Dezimalpunkt, max. 1 Vorzeichen) eingeben!"},
        {"XStart 0 on a log axis", with([](auto& f) { f.xStart = "0"; f.xLog = true; }),
         "Bitte für Startwellenlänge in nm eine Zahl > 0 eingeben!"},
        {"XStart below float range on a log axis", with([](auto& f) { f.xStart = "0." + std::string(50, '0') + "1"; f.xLog = true; }),
         "Bitte für Startwellenlänge in nm eine Zahl > 0 eingeben!"},
        {"YStart two signs", with([](auto& f) { f.yStart = "+-1"; }),
         "Bitte für untere Wertebereichsgrenze eine gültige Zahl (Dezimalpunkt, max. 1 Vorzeichen) eingeben!"},
        {"YStart negative on a log axis", with([](auto& f) { f.yStart = "-1"; f.yLog = true; }),
         "Bitte für untere Wertebereichsgrenze eine Zahl > 0 eingeben!"},
        {"XEnd with exponent", with([](auto& f) { f.xEnd = "7.8e2"; }),
         "Bitte für Endwellenlänge eine gültige Zahl (Dezimalpunkt, max. 1 Vorzeichen) eingeben!"},
        {"YEnd text", with([](auto& f) { f.yEnd = "eins"; }),
         "Bitte für obere Wertebereichsgrenze eine gültige Zahl (Dezimalpunkt, max. 1 Vorzeichen) eingeben!"},
        {"border text", with([](auto& f) { f.picOff = "5px"; }),
         "Bitte für Bildrand eine gültige Zahl (Dezimalpunkt, max. 1 Vorzeichen) eingeben!"},
        {"border too long to be finite", with([](auto& f) { f.picOff = std::string(400, '9'); }),
         "Bitte für Bildrand eine gültige Zahl (Dezimalpunkt, max. 1 Vorzeichen) eingeben!"},
        {"border negative", with([](auto& f) { f.picOff = "-1"; }),
         "Bitte eine positive Zahl zur Festlegung des Bildrandes eingeben!"},
        {"XStart 0", with([](auto& f) { f.xStart = " 0\t"; }),
         "Bitte für Startwellenlänge in nm eine korrekte Gleitkommazahl eingeben!"},
        {"XEnd empty", with([](auto& f) { f.xEnd = ""; }),
         "Bitte für Endwellenlänge in nm eine korrekte Gleitkommazahl eingeben!"},
        {"YEnd 0", with([](auto& f) { f.yEnd = "0.0"; f.yStart = "-1"; }),
         "Bitte für Maximaler Diagrammwert eine korrekte Gleitkommazahl eingeben!"},
        {"x swapped", with([](auto& f) { f.xStart = "780"; f.xEnd = "380"; }),
         "Die Eingaben für Startwellenlänge und Endwellenlänge sind vertauscht!"},
        {"y swapped", with([](auto& f) { f.yStart = "2"; }),
         "Die Eingaben für Minimaler Diagrammwert und Maximaler Diagrammwert sind vertauscht!"},
        {"no picture", with([](auto& f) { f.file = " "; }), "Bitte Bild auswählen"},
        // Earlier checks win: a comma in XStart and swapped y values.
        {"order", with([](auto& f) { f.xStart = "1,5"; f.yStart = "9"; f.file = ""; }),
         "Bitte für Startwellenlänge in nm eine gültige Zahl (Dezimalpunkt, max. 1 Vorzeichen) eingeben!"},
        {"log x allows no 0 check", with([](auto& f) { f.xLog = true; f.xStart = "100"; f.xEnd = "1000"; }), ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(CheckDigitiserForm(r.form).message, r.message);
    }
    const DigitiserInput in = CheckDigitiserForm(good);
    EXPECT_EQ(in.axes.xStart, 380);
    EXPECT_EQ(in.axes.yEnd, 1);
    EXPECT_EQ(in.border, 5);
    EXPECT_EQ(in.axes.valueDecimals, 0);
    EXPECT_EQ(CheckDigitiserForm(with([](auto& f) { f.yStart = "0.05"; })).axes.valueDecimals, 2);
}

TEST(PictureLayout, ScaleBorderAndRectangles)
{
    struct Row {
        const char* name;
        QSize picture, area;
        double border;
        double scale;
        int c;
        QRect source, target;
    };
    const Row rows[] = {
        {"border 50 on 300 x 200", {300, 200}, {600, 600}, 50, 2.0, 20, {20, 20, 260, 160}, {0, 0, 600, 400}},
        {"reduced to fit the height", {4000, 3000}, {800, 500}, 0, 500.0 / 3000, 0, {0, 0, 4000, 3000}, {0, 0, 666, 500}},
        {"fractional border", {100, 100}, {100, 100}, 3.9, 1.0, 3, {3, 3, 94, 94}, {0, 0, 100, 100}},
        {"empty picture", {0, 0}, {100, 100}, 3, 0, 0, {}, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const PictureLayout l = LayoutPicture(r.picture, r.area, r.border);
        EXPECT_DOUBLE_EQ(l.scale, r.scale);
        EXPECT_EQ(l.border, r.c);
        EXPECT_EQ(l.source, r.source);
        EXPECT_EQ(l.target, r.target);
    }
}

TEST(PictureLayout, PicturePointsMapThroughTheEnlargedCrop)
{
    const PictureLayout l = LayoutPicture({300, 200}, {600, 600}, 50);
    // The crop's corner lands on the area's corner; the crop (260 px) fills 600 px.
    EXPECT_EQ(PictureToArea(l, {20, 20}), QPointF(0, 0));
    EXPECT_EQ(PictureToArea(l, {280, 180}), QPointF(600, 400));
    const QPointF p = PictureToArea(l, {150.5, 99.5});
    EXPECT_NEAR(p.x(), 130.5 * 600 / 260, 1e-9);
    const QPointF back = AreaToPicture(l, p);
    EXPECT_NEAR(back.x(), 150.5, 1e-9);
    EXPECT_NEAR(back.y(), 99.5, 1e-9);
}

TEST(PictureLayout, TextsAreClampedIntoTheArea)
{
    EXPECT_EQ(ClampIntoArea({500, 300}, {200, 20}, {1000, 800}), QPoint(500, 300));
    EXPECT_EQ(ClampIntoArea({500, 300}, {200, 20}, {400, 250}), QPoint(200, 230));
    EXPECT_EQ(ClampIntoArea({500, 30}, {500, 20}, {400, 250}), QPoint(0, 30));
}
