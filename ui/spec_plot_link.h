#pragma once
// What the spectrum pane needs of the diagram's plot: the frame hands out a link (null while
// there is no diagram), tests install a fake.
#include <QPointer>

#include <list>

class CSpecDisplay;
class Spectrum;

class SpecPlotLink {
public:
    virtual ~SpecPlotLink();

    // Shows these spectra from now on (the plot stops its drawing worker first).
    virtual void SetFromSpectrumList(std::list<Spectrum*>& spectra) = 0;
    // Called before a shown spectrum is deleted.
    virtual void RemoveFromShownList(const Spectrum* spectrum) = 0;
    // True while the plot shows densities.
    virtual bool IsDensView() const = 0;
    // The diagram is painted again soon.
    virtual void RequestRedraw() = 0;
};

// The link to a spectrum plot control; does nothing once the control is gone.
class CSpecDisplayLink : public SpecPlotLink {
public:
    explicit CSpecDisplayLink(CSpecDisplay* display);
    ~CSpecDisplayLink() override;

    void SetFromSpectrumList(std::list<Spectrum*>& spectra) override;
    void RemoveFromShownList(const Spectrum* spectrum) override;
    bool IsDensView() const override;
    void RequestRedraw() override;

private:
    QPointer<CSpecDisplay> m_display;
};
