// The digitising dialog's buttons and messages, and loading pictures.
#include "image_dialog.h"
#include "load_xml_module.h"
#include "loadsave_test_support.h"

#include "core/spectrum.h"
#include "support/fake_file_chooser.h"
#include "support/fake_prompter.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

#include <xandril/xandril.h>

#include <QImageReader>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace loadsave_test;

namespace {

// A host whose spectrum tree refuses to replace what stands at a path.
class RefusingHandler : public SpectrumTree::EventHandler {
public:
    bool CanReplace(Spectrum*) override { return false; }
};

class ImageDialogFlow : public ::testing::Test {
protected:
    ImageDialogFlow()
        : picture(400, 300, QImage::Format_RGB32)
    {
        picture.fill(Qt::white);
    }

    // A dialog of area 400 x 300 on the white picture, calibrated on 300 x 200 pixels.
    std::unique_ptr<ImageDialog> Calibrated()
    {
        auto dialog = std::make_unique<ImageDialog>(&host, picture, "scan", DigitiserAxes{380, 780, 0, 1},
                                                    0, QSize(400, 300));
        dialog->OnClick({50, 50});
        dialog->OnClick({350, 50});
        dialog->OnClick({50, 250});
        return dialog;
    }
    QPushButton* Ok(ImageDialog& d) { return d.findChild<QPushButton*>(QStringLiteral("OK")); }
    QLineEdit* Name(ImageDialog& d) { return d.findChild<QLineEdit*>(QStringLiteral("Name")); }

    QImage picture;
    RecordingHost host;
    FakePrompter prompter;
};

} // namespace

TEST_F(ImageDialogFlow, BadEndClicksAreRefusedWithTheirMessage)
{
    ImageDialog dialog(&host, picture, "scan", DigitiserAxes{380, 780, 0, 1}, 0, QSize(400, 300));
    dialog.OnClick({100, 100});
    dialog.OnClick({90, 100});  // x end left of the origin
    dialog.OnClick({101, 100}); // on the origin
    EXPECT_EQ(dialog.GetCalibration().GetStage(), DigitiserCalibration::kWantXEnd);
    dialog.OnClick({300, 100});
    dialog.OnClick({100, 60}); // y end below the origin
    EXPECT_EQ(dialog.GetCalibration().GetStage(), DigitiserCalibration::kWantYEnd);
    const QString mirrored = QString::fromUtf8(
        "Möglicherweise ist die Diagrammdarstellung gespiegelt! Bitte bearbeiten Sie das Bild vor der "
        "Digitalisierung.");
    EXPECT_EQ(prompter.Texts(), (std::vector<QString>{mirrored, QString::fromUtf8("Der Achsenendpunkt liegt zu nah am "
                                                                                  "Diagrammursprung!"),
                                                      mirrored}));
}

TEST_F(ImageDialogFlow, AddingNeedsPointsAndANameAndKeepsTheCalibration)
{
    auto dialog = Calibrated();
    EXPECT_FALSE(Ok(*dialog)->isEnabled());
    dialog->OnBnClickedAddSpectrum(); // no points: nothing inserted, OK enabled
    EXPECT_TRUE(Ok(*dialog)->isEnabled());
    EXPECT_EQ(host.spectra.GetInserter("scan"), nullptr);

    dialog->OnClick({200, 150});
    dialog->OnClick({100, 110});
    dialog->OnBnClickedAddSpectrum(); // points but no name
    EXPECT_EQ(prompter.Texts().back(), QString::fromUtf8("Bitte einen Spektrennamen eingeben!"));
    EXPECT_EQ(dialog->GetPointList(), "580.00     0.5\r\n446.67     0.3\r\n");

    Name(*dialog)->setText(QStringLiteral("  Probe "));
    dialog->OnBnClickedAddSpectrum();
    Spectrum* calibrated = host.spectra.GetInserter("scan:Probe");
    Spectrum* raw = host.spectra.GetInserter("scan:SpecRawPnts:Probe");
    ASSERT_TRUE(calibrated && raw);
    ASSERT_EQ(calibrated->GetPointCount(), 2);
    EXPECT_DOUBLE_EQ((*calibrated)[0].x, 446.7);
    EXPECT_DOUBLE_EQ((*calibrated)[1].y, 0.5);
    EXPECT_DOUBLE_EQ((*raw)[1].x, 150);
    EXPECT_EQ(dialog->GetPointList(), "");
    EXPECT_EQ(Name(*dialog)->text(), "");

    // A second curve of the same diagram into another group.
    dialog->findChild<QLineEdit*>(QStringLiteral("Ablageordner"))->setText(QStringLiteral("andere"));
    Name(*dialog)->setText(QStringLiteral("Zwei"));
    dialog->OnClick({350, 250});
    dialog->OnBnClickedAddSpectrum();
    ASSERT_TRUE(host.spectra.GetInserter("andere:Zwei"));
    EXPECT_EQ((*host.spectra.GetInserter("andere:Zwei"))[0].x, 780);
}

TEST_F(ImageDialogFlow, RefusedSpectraAreTheDialogsToDelete)
{
    RefusingHandler handler;
    host.spectra.SetEventHandler(&handler);
    auto* existing = new Spectrum;
    existing->SetName("scan:Probe");
    ASSERT_TRUE(host.spectra.AddInserter(existing));
    auto dialog = Calibrated();
    dialog->OnClick({200, 150});
    Name(*dialog)->setText(QStringLiteral("Probe"));
    dialog->OnBnClickedAddSpectrum();
    EXPECT_EQ(host.spectra.GetInserter("scan:Probe"), existing);
    EXPECT_TRUE(host.spectra.GetInserter("scan:SpecRawPnts:Probe")); // that one was new
    host.spectra.SetEventHandler(nullptr);
}

TEST_F(ImageDialogFlow, SaveWritesANewFileTheXmlLoaderReads)
{
    test_support::TempDir dir;
    FakeFileChooser chooser;
    auto dialog = Calibrated();
    dialog->OnClick({200, 150});
    dialog->OnClick({100, 110});
    Name(*dialog)->setText(QStringLiteral("Probe"));

    chooser.answer = QString::fromStdString(dir.file("kurve")); // a new file, no extension
    dialog->OnBnClickedSave();
    EXPECT_EQ(chooser.lastName, "Unbenannt.xml");
    EXPECT_TRUE(Ok(*dialog)->isEnabled());
    EXPECT_TRUE(prompter.Texts().empty());

    RecordingHost readBack;
    auto& loader = AddModule<LoadXMLModule>(readBack, kLoadXmlPath);
    ASSERT_TRUE(loader.LoadFile(dir.file("kurve.xml"), "gelesen"));
    EXPECT_EQ(Spectra(readBack), (std::vector<SpectrumView>{{"gelesen:scan:Probe", {{446.7, 0.3}, {580, 0.5}}}}));

    // A folder that does not exist: the message, and no file.
    chooser.answer = QString::fromStdString(dir.file("fehlt/kurve.xml"));
    dialog->OnBnClickedSave();
    EXPECT_EQ(prompter.Texts().back(), QString::fromUtf8("Fehler: Die gewählte Datei konnte nicht geöffnet werden !"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("fehlt")));
}

TEST_F(ImageDialogFlow, ClosingDeletesNothingOfTheTree)
{
    auto* own = new Spectrum;
    own->SetName("SpecImgPnts:eigene");
    ASSERT_TRUE(host.spectra.AddInserter(own));
    {
        auto dialog = Calibrated();
        dialog->OnClick({200, 150});
        dialog->reject();
    }
    EXPECT_EQ(host.spectra.GetInserter("SpecImgPnts:eigene"), own);
}

TEST_F(ImageDialogFlow, DiscardStartsAgain)
{
    auto dialog = Calibrated();
    dialog->OnClick({200, 150});
    dialog->OnBnClickedDiscard();
    EXPECT_EQ(dialog->GetCalibration().GetStage(), DigitiserCalibration::kWantOrigin);
    EXPECT_EQ(dialog->GetPointList(), "");
    EXPECT_EQ(dialog->findChild<QPlainTextEdit*>()->toPlainText(), "");
}

TEST(DigitiserPicture, LoadsBmpJpegAndPngAndRefusesTheRest)
{
    ASSERT_TRUE(QImageReader::supportedImageFormats().contains("jpeg")) << "Qt's JPEG plug-in is missing";
    test_support::TempDir dir;
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(QColor(200, 30, 30));
    for (const char* name : {"bild.bmp", "bild.jpg", "bild.png"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(image.save(QString::fromStdString(dir.file(name))));
        const QImage loaded = LoadDigitiserPicture(dir.file(name));
        EXPECT_EQ(loaded.size(), QSize(40, 30));
    }
    std::ofstream(dir.file("leer.png"));
    std::ofstream(dir.file("text.png")) << "kein Bild";
    EXPECT_TRUE(LoadDigitiserPicture(dir.file("leer.png")).isNull());
    EXPECT_TRUE(LoadDigitiserPicture(dir.file("text.png")).isNull());
    EXPECT_TRUE(LoadDigitiserPicture(dir.file("fehlt.png")).isNull());
    // Above the reader's allocation limit a picture is refused, not allocated.
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(1);
    QImage big(1200, 1000, QImage::Format_RGB32);
    big.fill(Qt::white);
    ASSERT_TRUE(big.save(QString::fromStdString(dir.file("gross.png"))));
    EXPECT_TRUE(LoadDigitiserPicture(dir.file("gross.png")).isNull());
    QImageReader::setAllocationLimit(limit);
    EXPECT_FALSE(LoadDigitiserPicture(dir.file("gross.png")).isNull());
}
