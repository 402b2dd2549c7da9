#pragma once
// The digitising dialog: shows the picture, takes the calibration clicks and then the points
// of a curve, and puts the curve into the spectrum tree or saves it as an XML spectrum file.
// Several curves of one diagram may follow one another; the calibration stays.
#include "digitiser_calibration.h"
#include "digitiser_canvas.h"

#include <QDialog>
#include <QImage>
#include <QWidget>

#include <memory>
#include <string>

class ModuleInterface;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class Spectrum;

// The picture area: a widget of fixed size that shows an image and reports each left-button
// release as a position with y upward (x, height - y).
class DigitiserArea : public QWidget {
    Q_OBJECT

public:
    DigitiserArea(QSize size, QWidget* parent);
    void SetImage(QImage image);
    const QImage& GetImage() const { return m_image; }

signals:
    void Clicked(DigitiserPoint position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage m_image;
};

class ImageDialog : public QDialog {
    Q_OBJECT

public:
    enum { IDD = 14014 };

    // picture: loaded and checked by the caller; area: the picture area's fixed size.
    ImageDialog(ModuleInterface* host, const QImage& picture, const std::string& defaultGroup,
                const DigitiserAxes& axes, double border, QSize area, QWidget* parent = nullptr);
    ~ImageDialog() override;

    // The area size the program uses: three quarters of the screen's free space, at least
    // 640 x 480.
    static QSize DefaultAreaSize();

    void OnClick(DigitiserPoint position);
    void OnBnClickedSave();
    void OnBnClickedDiscard();
    void OnBnClickedAddSpectrum();

    const DigitiserCalibration& GetCalibration() const { return m_calibration; }
    const std::string& GetPointList() const { return m_pointList; }
    DigitiserArea* GetArea() const { return m_area; }
    const DigitiserCanvas& GetCanvas() const { return m_canvas; }

private:
    void Redraw();
    // Hands a spectrum to the tree; one it refuses is deleted here.
    void Insert(std::unique_ptr<Spectrum> spectrum, const std::string& name);

    ModuleInterface* m_host;
    std::string m_defaultGroup;
    DigitiserCalibration m_calibration;
    DigitiserCanvas m_canvas;
    std::string m_pointList;
    std::unique_ptr<Spectrum> m_calibrated;
    std::unique_ptr<Spectrum> m_raw;

    DigitiserArea* m_area;
    QPlainTextEdit* m_points;    // 14024
    QLineEdit* m_name;           // 14043
    QLineEdit* m_group;          // 14040
    QPushButton* m_ok;           // 1
    QPushButton* m_cancel;       // 2
    QPushButton* m_discard;      // 14031
    QPushButton* m_addSpectrum;  // 14050
    QPushButton* m_save;         // 14025
};
