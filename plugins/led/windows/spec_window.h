#pragma once
// A thumbnail plot of a few spectra on the global wavelength grid: axes, curves, an optional
// fill in each wavelength's colour, a title, and while the left button is held a cross-hair
// that reads off the wavelength (nm) and the value. It refers to spectra it does not own.

#include "engine/ls_matrix.h"
#include "platform/colorref.h"

#include <QFont>
#include <QFrame>
#include <QString>

#include <string>
#include <vector>

class QPainter;
class SpectraSet;

class CSpecWindow : public QFrame {
    Q_OBJECT

public:
    explicit CSpecWindow(QWidget* parent = nullptr);
    ~CSpecWindow() override;

    // Ignored unless the vector has the grid's point count. Raises the y maximum to the
    // spectrum's largest value.
    void AddSpectrum(LSMatrix spectrum, COLORREF colour);
    // Forgets every curve drawn from spectrum (before its owner frees it).
    void RemoveSpectrum(LSMatrix spectrum);
    // Every spectrum of the set, in black.
    void AddSpectra(const SpectraSet& set);
    // No curves, y maximum 1.0.
    void Clear();

    void SetTitle(const std::string& title) { m_title = title; }
    const std::string& GetTitle() const { return m_title; }
    void SetSpectralFill(bool fill) { m_spectralFill = fill; }
    bool GetSpectralFill() const { return m_spectralFill; }
    double GetYMaximum() const { return m_yMax; }
    int SpectrumCount() const { return static_cast<int>(m_spectra.size()); }

    // Draws the whole picture into rect (the client rectangle).
    void Draw(QPainter& p, const QRect& rect) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    bool m_spectralFill = false;
    double m_yMax = 1.0;
    int m_mouseX = 0;
    int m_mouseY = 0;
    QFont m_font;
    bool m_mouseHeld = false;
    std::vector<LSMatrix> m_spectra;
    std::vector<COLORREF> m_colours;
    std::string m_title;
};
