#pragma once
// The calibration of the picture digitiser. Three clicked positions, the diagram's origin and
// the ends of its x and y axes, turn every further click into a point of the diagram.
// Positions are pixels of the picture area with y pointing upward. Axis pixels (u, v) measure
// from the origin along the x axis and perpendicular to it, so a tilted diagram reads right:
//
//        Y end             u = (P - O) . (cos, sin)
//          |    . P        v = (P - O) . (-sin, cos)
//          |  v            the y axis counts as perpendicular to the x axis; only its
//          O------u---X    length is used
#include <string>

struct DigitiserPoint {
    double x = 0;
    double y = 0;
};

// The diagram's axis values as the form gives them.
struct DigitiserAxes {
    double xStart = 0;
    double xEnd = 0;
    double yStart = 0;
    double yEnd = 0;
    bool xLog = false; // the axis is base-10 logarithmic
    bool yLog = false;
    int valueDecimals = 0; // Nachkommastellen(yStart)
};

// One digitised point: in axis pixels (hundredths, x at least 0), in wavelength and value
// (x in tenths and at least 0, y in thousandths), and its line of the point list.
struct DigitisedPoint {
    DigitiserPoint raw;
    DigitiserPoint calibrated;
    std::string line;
};

class DigitiserCalibration {
public:
    enum Stage { kWantOrigin = 0, kWantXEnd = 1, kWantYEnd = 2, kWantPoints = 3 };
    enum class Click { Taken, Mirrored, TooClose };
    // An axis end nearer to the origin than this (in pixels) is refused.
    static constexpr double kMinAxisLength = 2;

    explicit DigitiserCalibration(const DigitiserAxes& axes);

    const DigitiserAxes& GetAxes() const { return m_axes; }
    int GetStage() const { return m_stage; }
    // Stages 0 to 2: the position becomes the origin, the x end or the y end and the next
    // stage begins. An x end left of the origin or a y end below it is Mirrored, an end too
    // near the origin TooClose; the stage stays then. In stage 3 nothing happens (Taken).
    Click SetPosition(DigitiserPoint position);
    // Back to stage 0.
    void Restart() { m_stage = kWantOrigin; }

    const DigitiserPoint& GetOrigin() const { return m_origin; }
    const DigitiserPoint& GetXEnd() const { return m_xEnd; }
    const DigitiserPoint& GetYEnd() const { return m_yEnd; }
    double GetXAxisLength() const { return m_xAxisLength; }
    double GetYAxisLength() const { return m_yAxisLength; }

    DigitiserPoint ToAxisPixels(DigitiserPoint position) const;
    DigitiserPoint FromAxisPixels(DigitiserPoint uv) const;
    // The diagram's corner opposite the origin: (u of the x end, v of the y end).
    DigitiserPoint GetCorner() const;
    // XEnd - XStart, or log10(XEnd) - log10(XStart) on a log axis; likewise for y.
    double GetXSpan() const;
    double GetYSpan() const;

    // Stage 3: the diagram point at a position, clamped into the axis ranges.
    DigitisedPoint Digitise(DigitiserPoint position) const;

private:
    DigitiserAxes m_axes;
    int m_stage = kWantOrigin;
    DigitiserPoint m_origin;
    DigitiserPoint m_xEnd;
    DigitiserPoint m_yEnd;
    double m_xAxisLength = 0;
    double m_yAxisLength = 0;
    double m_cos = 1;
    double m_sin = 0;
};

// The value to 1/scale, halves away from below: runden(value * scale) / scale, so that
// -1.234 gives -1.23 to hundredths like 1.234 gives 1.23.
double RoundToScale(double value, double scale);
// A line of the point list: x as "%.2f", five blanks, doubleToString(y, valueDecimals + 1),
// CR LF.
std::string DigitiserPointLine(double x, double y, int valueDecimals);
