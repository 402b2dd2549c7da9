#pragma once
// The digitiser's editor form: the picture ("BILD LADEN"), the diagram's axis values and
// border, and "SPEKTREN DIGITALISIEREN", which checks them and opens the digitising dialog.
#include "core/module_editor.h"

#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Where the form's top rows go for a form size: the description and the file-name edit at
// x 10 with width w = width - 160 (at most 656), their buttons at w + 20.
struct SampleDialogLayout {
    int formWidth;  // at least 456
    int formHeight; // at least 180
    int width;      // w
    int buttonX;    // w + 20
};
// The edit column ends where the widest button of the column beside it still fits: buttons of
// up to 140 pixels keep the designed 160-pixel margin, a wider one takes what it needs.
SampleDialogLayout SampleDialogLayoutFor(int width, int height, int widestButton = 140);

class SampleDialog : public CModuleEditor {
    Q_OBJECT
    DECLARE_DYNCREATE(SampleDialog)

public:
    enum { IDD = 14023 };

    SampleDialog();
    ~SampleDialog() override;

    void InitModuleEditor() override;

    // "BILD LADEN" (14002).
    void OnBnClickedLoadPicture();
    // "SPEKTREN DIGITALISIEREN" (1).
    void OnBnClickedDigitise();

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    // Places the width-following top rows for the page's size.
    void PlaceTopRows(QSize size);

    QLabel* m_description;     // 14000
    QLineEdit* m_fileName;     // 14001
    QPushButton* m_loadPicture; // 14002
    QPushButton* m_digitise;   // 1
    QLineEdit* m_xStart;       // 14006
    QLineEdit* m_xEnd;         // 14007
    QLineEdit* m_yStart;       // 14008
    QLineEdit* m_yEnd;         // 14029
    QLineEdit* m_picOff;       // 14049
    QCheckBox* m_yLog;         // 14053
    QCheckBox* m_xLog;         // 14054
    std::string m_descriptionText;
};
