#include "digitiser_calibration.h"

#include "core/string_helpers.h"

#include <algorithm>
#include <cmath>

DigitiserCalibration::DigitiserCalibration(const DigitiserAxes& axes)
    : m_axes(axes)
{
}

DigitiserCalibration::Click DigitiserCalibration::SetPosition(DigitiserPoint position)
{
    const double distance = std::hypot(position.x - m_origin.x, position.y - m_origin.y);
    switch (m_stage) {
    case kWantOrigin:
        m_origin = position;
        m_stage = kWantXEnd;
        return Click::Taken;
    case kWantXEnd:
        if (position.x < m_origin.x)
            return Click::Mirrored;
        if (distance < kMinAxisLength)
            return Click::TooClose;
        m_xEnd = position;
        m_xAxisLength = distance;
        m_cos = (m_xEnd.x - m_origin.x) / distance;
        m_sin = (m_xEnd.y - m_origin.y) / distance;
        m_stage = kWantYEnd;
        return Click::Taken;
    case kWantYEnd:
        if (position.y < m_origin.y)
            return Click::Mirrored;
        if (distance < kMinAxisLength)
            return Click::TooClose;
        m_yEnd = position;
        m_yAxisLength = distance;
        m_stage = kWantPoints;
        return Click::Taken;
    default:
        return Click::Taken;
    }
}

DigitiserPoint DigitiserCalibration::ToAxisPixels(DigitiserPoint p) const
{
    const double dx = p.x - m_origin.x;
    const double dy = p.y - m_origin.y;
    return {dx * m_cos + dy * m_sin, dy * m_cos - dx * m_sin};
}

DigitiserPoint DigitiserCalibration::FromAxisPixels(DigitiserPoint uv) const
{
    return {m_origin.x + uv.x * m_cos - uv.y * m_sin, m_origin.y + uv.x * m_sin + uv.y * m_cos};
}

DigitiserPoint DigitiserCalibration::GetCorner() const
{
    return FromAxisPixels({ToAxisPixels(m_xEnd).x, ToAxisPixels(m_yEnd).y});
}

namespace {

double Span(double start, double end, bool log)
{
    return log ? std::log10(end) - std::log10(start) : end - start;
}

// The axis value at a distance along an axis of the given pixel length.
double AxisValue(double start, double span, bool log, double distance, double length)
{
    const double value = (log ? std::log10(start) : start) + distance * span / length;
    return log ? std::pow(10.0, value) : value;
}

} // namespace

double DigitiserCalibration::GetXSpan() const
{
    return Span(m_axes.xStart, m_axes.xEnd, m_axes.xLog);
}

double DigitiserCalibration::GetYSpan() const
{
    return Span(m_axes.yStart, m_axes.yEnd, m_axes.yLog);
}

DigitisedPoint DigitiserCalibration::Digitise(DigitiserPoint position) const
{
    const DigitiserPoint uv = ToAxisPixels(position);
    DigitisedPoint point;
    point.raw = {std::max(RoundToScale(uv.x, 100), 0.0), RoundToScale(uv.y, 100)};

    double x = AxisValue(m_axes.xStart, GetXSpan(), m_axes.xLog, uv.x, m_xAxisLength);
    double y = AxisValue(m_axes.yStart, GetYSpan(), m_axes.yLog, uv.y, m_yAxisLength);
    x = std::min(std::max(x, m_axes.xStart), m_axes.xEnd);
    y = std::min(std::max(y, m_axes.yStart), m_axes.yEnd);

    point.line = DigitiserPointLine(x, y, m_axes.valueDecimals);
    point.calibrated = {std::max(RoundToScale(x, 10), 0.0), RoundToScale(y, 1000)};
    return point;
}

double RoundToScale(double value, double scale)
{
    return runden(value * scale) / scale;
}

std::string DigitiserPointLine(double x, double y, int valueDecimals)
{
    // Fixed notation with two decimals is what "%.2f" gives, at any length.
    return doubleToString(x, 2) + "     " + doubleToString(y, valueDecimals + 1) + "\r\n";
}
