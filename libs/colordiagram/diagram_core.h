#pragma once
// The colour diagram without Qt: its points, links, view and options, and the layout of one
// frame in pixels (polylines of the loci, temperature marks, points, links, texts and the
// legend). The widget only paints what the layout says.
//
// View: Middle is the centre of the frame in diagram units (x, y for the chromaticity chart,
// a*, b* or a99, b99 for the planes); Scale is the zoom against a base span per type (1 for
// the chart, 200 for a*b*, 100 for a99b99), so the defaults (0.5, 0.5, 1, 1) show the whole
// horseshoe. Auto-zoom fits the points with equal x and y scales, a 10 % margin and a least
// span, and only when the points or the type changed.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace colordiagram {

enum DiagramType { kChromaticity = 0, kLabPlane = 1, kDin99Plane = 2 };

struct UV {
    double u = 0, v = 0;
};

struct DiagramPoint {
    double X = 0, Y = 0, Z = 0;
    double Xn = 0, Yn = 0, Zn = 0;
    std::string name, observer, illuminant;
};

struct DiagramLink {
    int from = 0, to = 0;
};

struct View {
    double middleX = 0.5, middleY = 0.5, scaleX = 1, scaleY = 1;
};

// One frame, in pixels from the top-left corner.
struct Layout {
    struct Polyline {
        std::vector<UV> points;
        std::vector<std::uint32_t> colours; // one RGB per point (spectral locus), else empty
    };
    struct Mark {
        UV at;
        std::string text;
    };
    struct Point {
        UV at;
        int index = 0; // into the diagram's points
        std::uint32_t colour = 0;
    };
    struct Text {
        UV at;
        std::string text;
    };
    std::vector<Polyline> loci;
    std::vector<Mark> marks; // temperature marks on the Planckian locus, wavelength marks
    std::vector<Point> points;
    std::vector<std::pair<UV, UV>> links;
    std::vector<Text> texts;  // names and values beside the points
    std::vector<std::string> legend; // "observer / illuminant" labels, each once
    std::vector<std::pair<UV, UV>> axes;
};

class DiagramCore {
public:
    DiagramCore();

    // A type outside 0..2 counts as 0.
    void SetDiagramType(int type);
    int GetDiagramType() const { return m_type; }

    // The view; reading it first refits when auto-zoom is due. A non-finite or non-positive
    // scale, or a non-finite centre, gives the default view of the type.
    double GetScaleX();
    double GetScaleY();
    double GetMiddleX();
    double GetMiddleY();
    void SetScaleX(double v);
    void SetScaleY(double v);
    void SetMiddleX(double v);
    void SetMiddleY(double v);
    View GetView();
    static View DefaultView(int type);
    static double BaseSpan(int type);

    void SetShowSpectralColors(bool on) { m_showSpectral = on; }
    void SetShowPlanckianLocus(bool on) { m_showPlanck = on; }
    void SetShowNames(bool on) { m_showNames = on; }
    void SetShowColorValues(bool on) { m_showValues = on; }
    // Turning it on does not refit by itself: a restored view stays.
    void SetAutoZoom(bool on) { m_autoZoom = on; }
    bool ShowSpectralColors() const { return m_showSpectral; }
    bool ShowPlanckianLocus() const { return m_showPlanck; }
    bool ShowNames() const { return m_showNames; }
    bool ShowColorValues() const { return m_showValues; }
    bool AutoZoom() const { return m_autoZoom; }

    // The white of the next point only.
    void SetReferenceX(double v) { m_ref.X = v; }
    void SetReferenceY(double v) { m_ref.Y = v; }
    void SetReferenceZ(double v) { m_ref.Z = v; }
    void AddPoint(double X, double Y, double Z, const std::string& name, const std::string& observer,
                  const std::string& illuminant);
    void RemoveAllPoints();
    // Indices since the last removal; links to missing indices are kept but never drawn.
    void LinkPoints(int from, int to);

    const std::vector<DiagramPoint>& Points() const { return m_points; }
    const std::vector<DiagramLink>& Links() const { return m_links; }

    // The point's coordinates in the current type against its own white; none when its
    // figures or its white give no number (the point keeps its index but is not drawn).
    std::optional<UV> Coordinates(const DiagramPoint& p) const;
    // Diagram units to pixels and back for a frame of width x height.
    UV ToPixel(UV d, int width, int height);
    UV ToDiagram(UV px, int width, int height);

    // The whole frame.
    Layout MakeLayout(int width, int height);
    // The background part only (loci, marks, axes); it depends on the type, size, view and
    // the locus switches.
    Layout MakeBackground(int width, int height);

    // Pans by a pixel offset; zooms by factor about a pixel position (the diagram point
    // under it stays).
    void Pan(double dxPixels, double dyPixels, int width, int height);
    void ZoomAt(double factor, double xPixel, double yPixel, int width, int height);

    // The white of the Planckian locus on the planes: the last point's reference, else D65.
    void PlaneWhite(double& Xn, double& Yn, double& Zn) const;

private:
    void FitIfDue();
    void CheckView();
    std::optional<UV> Project(double X, double Y, double Z, double Xn, double Yn, double Zn) const;

    int m_type = kChromaticity;
    View m_view;
    bool m_showSpectral = false, m_showPlanck = false, m_showNames = true, m_showValues = false;
    bool m_autoZoom = true;
    bool m_fitDue = false;
    struct {
        double X = 0, Y = 0, Z = 0;
    } m_ref;
    std::vector<DiagramPoint> m_points;
    std::vector<DiagramLink> m_links;
};

// The spectral locus (x, y) at 1 nm from the CIE 1931 table, with the wavelengths.
struct LocusPoint {
    double nm;
    double X, Y, Z;
};
const std::vector<LocusPoint>& SpectralLocus();
// X, Y, Z of a black body at kelvin: Planck (c2 = 1.4388e-2 m K) times the CIE 1931
// curves at 1 nm.
void PlanckianXYZ(double kelvin, double& X, double& Y, double& Z);
// The temperatures the Planckian locus is drawn through, and the marked ones.
const std::vector<double>& PlanckTemperatures();
const std::vector<double>& PlanckMarks();

} // namespace colordiagram
