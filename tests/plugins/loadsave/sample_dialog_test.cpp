// The digitiser module and its form: checks before the picture opens, the picture file, and a
// whole run through the digitising dialog, which the fake prompter runs without a modal loop.
#include "image_dialog.h"
#include "loadsave_test_support.h"
#include "sample_dialog.h"
#include "module_support.h"
#include "spec_data_module.h"

#include "support/fake_file_chooser.h"
#include "support/fake_prompter.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <fstream>

using namespace loadsave_test;

namespace {

constexpr char kSpecPath[] = "Daten|im|port:Spek|trenbild digi|ta|li|sie|ren";

class SampleDialogTest : public ::testing::Test {
protected:
    SampleDialogTest()
        : module(AddModule<SpecDataModule>(host, kSpecPath))
    {
        form.SetModule(&module);
        form.InitModuleEditor();
    }

    void Set(const char* edit, const char* text) { form.findChild<QLineEdit*>(edit)->setText(QString::fromUtf8(text)); }

    // A 300 x 200 white picture in the temporary folder, chosen through "BILD LADEN".
    std::string ChoosePicture(const char* name = "scan.png")
    {
        QImage picture(300, 200, QImage::Format_RGB32);
        picture.fill(Qt::white);
        const std::string path = dir.file(name);
        picture.save(QString::fromStdString(path));
        chooser.answer = QString::fromStdString(path);
        form.OnBnClickedLoadPicture();
        return path;
    }

    test_support::TempDir dir;
    RecordingHost host;
    FakePrompter prompter;
    FakeFileChooser chooser;
    SpecDataModule& module;
    SampleDialog form;
};

} // namespace

TEST(SpecDataModule, IsAPictureLoaderThatLoadsNothingByItself)
{
    SpecDataModule module;
    EXPECT_EQ(module.getClassName(), "Load_Spec");
    EXPECT_EQ(module.GetEditorClass(), RUNTIME_CLASS(SampleDialog));
    std::string extensions, description;
    bool flag = true;
    module.GetFileDescription(extensions, description, &flag, &flag, &flag);
    EXPECT_EQ(extensions, "*.jpg, *.jpeg, *.png, *.bmp");
    EXPECT_EQ(description, "einer Bitmap-|JPEG-|PNG-Datei");
    EXPECT_TRUE(flag);
    EXPECT_FALSE(module.RunLoad());
}

TEST(SampleDialogLayout, TopRowsFollowTheWidth)
{
    struct Row {
        int width, height, widestButton;
        SampleDialogLayout layout;
    };
    // A button wider than the margin moves the column's end so that it stays whole.
    const Row rows[] = {
        {300, 100, 140, {456, 180, 296, 316}},
        {800, 500, 140, {800, 500, 640, 660}},
        {1200, 500, 140, {1200, 500, 656, 676}},
        {456, 180, 190, {456, 180, 246, 266}},
        {1200, 500, 190, {1200, 500, 656, 676}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.width);
        const SampleDialogLayout l = SampleDialogLayoutFor(r.width, r.height, r.widestButton);
        EXPECT_LE(l.buttonX + r.widestButton, l.formWidth);
        EXPECT_EQ(l.formWidth, r.layout.formWidth);
        EXPECT_EQ(l.formHeight, r.layout.formHeight);
        EXPECT_EQ(l.width, r.layout.width);
        EXPECT_EQ(l.buttonX, r.layout.buttonX);
    }
}

TEST_F(SampleDialogTest, ShowsTheDescriptionAndTakesThePicture)
{
    EXPECT_EQ(form.findChild<QLabel*>("Description")->text(),
              "Laden von Bildern aus Dateien des Typs *.bmp, *.jpg, *.png ...");
    const std::string path = ChoosePicture();
    EXPECT_EQ(chooser.lastFilter, "Alle Dateien (*.bmp *.jpg *.png);;BITMAPs (*.bmp);;JPEGs (*.jpg);;PNGs (*.png)");
    EXPECT_EQ(loadsave::StringParameter(module, "File"), path);
    EXPECT_EQ(loadsave::StringParameter(module, "FileName"), "scan.png");
    EXPECT_EQ(loadsave::StringParameter(module, "PreName"), "scan");
    EXPECT_EQ(form.findChild<QLineEdit*>("FileName")->text(), "scan.png");
}

TEST_F(SampleDialogTest, BadEntriesAndPicturesKeepTheDialogClosed)
{
    ChoosePicture();
    Set("XStart", "380,5");
    form.OnBnClickedDigitise();
    Set("XStart", "380");
    form.findChild<QCheckBox*>("YLog")->setChecked(true);
    form.OnBnClickedDigitise(); // YStart 0 on a log axis
    form.findChild<QCheckBox*>("YLog")->setChecked(false);
    std::ofstream(dir.file("scan.png"), std::ios::trunc) << "kein Bild";
    form.OnBnClickedDigitise();
    EXPECT_EQ(prompter.Texts(),
              (std::vector<QString>{
                  QString::fromUtf8("Bitte für Startwellenlänge in nm eine gültige Zahl (Dezimalpunkt, max. 1 "
                                    "Vorzeichen) eingeben!"),
                  QString::fromUtf8("Bitte für untere Wertebereichsgrenze eine Zahl > 0 eingeben!"),
                  QString::fromStdString("Das Bild '" + dir.file("scan.png") + "' konnte nicht geladen werden!"),
              }));
    EXPECT_TRUE(prompter.dialogs.empty());
    EXPECT_FALSE(loadsave::BoolParameter(module, "YLog"));
}

TEST_F(SampleDialogTest, DigitisingPutsTheCurveIntoTheTree)
{
    ChoosePicture();
    Set("XEnd", "680");
    prompter.onModal = [](QDialog& d) {
        auto& dialog = dynamic_cast<ImageDialog&>(d);
        dialog.OnClick({10, 10});
        dialog.OnClick({310, 10});
        dialog.OnClick({10, 210});
        dialog.OnClick({160, 60});
        dialog.findChild<QLineEdit*>("Name")->setText("Probe");
        dialog.OnBnClickedAddSpectrum();
        return int(QDialog::Accepted);
    };
    form.OnBnClickedDigitise();
    ASSERT_EQ(prompter.dialogs.size(), 1u);
    EXPECT_EQ(Spectra(host), (std::vector<SpectrumView>{{"scan:Probe", {{530, 0.25}}},
                                                        {"scan:SpecRawPnts:Probe", {{150, 50}}}}));
}
