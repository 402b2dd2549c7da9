#include "app/about_dlg.h"
#include "app/status_dialogs.h"
#include "app/yes_no_dialog.h"
#include "support/shown_text.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Opens the question without blocking, lets act answer it and returns the dialog's result.
int Answer(const std::function<void(CYesNoDialog&)>& act)
{
    CYesNoDialog dialog;
    dialog.SetText(QStringLiteral("Der Eintrag 'A' existiert bereits. Soll er überschrieben werden?"));
    dialog.open();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    act(dialog);
    EXPECT_FALSE(dialog.isVisible());
    return dialog.result();
}

TEST(YesNoDialog, EachButtonAnswersItsCode)
{
    const char* const texts[] = {"Ja", "Nein", "Ja, alle", "Nein, alle"};
    for (int code = 0; code < 4; ++code) {
        SCOPED_TRACE(texts[code]);
        EXPECT_EQ(Answer([code, &texts](CYesNoDialog& d) {
                      EXPECT_EQ(d.Button(code)->text(), QString::fromUtf8(texts[code]));
                      EXPECT_FALSE(d.Button(code)->autoDefault());
                      EXPECT_FALSE(d.Button(code)->isDefault());
                      d.Button(code)->click();
                  }),
                  code);
    }
}

TEST(YesNoDialog, EnterEscapeAndCloseAnswerNo)
{
    struct Row {
        const char* name;
        std::function<void(CYesNoDialog&)> act;
    };
    const Row rows[] = {
        {"Enter on the dialog", [](CYesNoDialog& d) { QTest::keyClick(&d, Qt::Key_Return); }},
        {"Enter on the keypad", [](CYesNoDialog& d) { QTest::keyClick(&d, Qt::Key_Enter); }},
        {"Enter while \"Ja\" has the focus", [](CYesNoDialog& d) {
             d.Button(CYesNoDialog::Yes)->setFocus();
             QTest::keyClick(d.Button(CYesNoDialog::Yes), Qt::Key_Return);
         }},
        {"Escape", [](CYesNoDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"close box", [](CYesNoDialog& d) { d.close(); }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(Answer(r.act), CYesNoDialog::No);
    }
}

TEST(YesNoDialog, ShowsCaptionAndQuestion)
{
    CYesNoDialog dialog;
    dialog.SetText(QStringLiteral("Frage"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Dialog"));
    EXPECT_EQ(dialog.GetText(), QStringLiteral("Frage"));
}

// The question names the entry as typed, tags and all.
TEST(YesNoDialog, ShowsTheNameAsTyped)
{
    const char* const names[] = {"Filter <b>rot</b>", "<i>Lampe</i>:A", "a<br>b", "Messung:A"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const QString question =
            QStringLiteral("Der Eintrag '%1' existiert bereits. Soll er überschrieben werden?").arg(QString::fromUtf8(name));
        CYesNoDialog dialog;
        dialog.SetText(question);
        const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
        ASSERT_EQ(labels.size(), 1);
        EXPECT_EQ(ShownText(*labels[0]), question);
    }
}

TEST(StatusWindow, StandsCentredAtTheLogoSizeWithTheKeyColourCutAway)
{
    const QImage logo = LoadLogo();
    ASSERT_EQ(logo.size(), QSize(505, 140));
    EXPECT_EQ(logo.pixel(0, 0), CTransparentDialogDlg::kColourKey);

    CTransparentDialogDlg status;
    status.SetText(QStringLiteral("Prüfe die Orvanta™-Umgebung."));
    status.Create();
    const QSize screen = QGuiApplication::primaryScreen()->size();
    EXPECT_EQ(status.geometry(), QRect(screen.width() / 2 - 252, screen.height() / 2 - 70, 505, 140));
    EXPECT_TRUE(status.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(status.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_NEAR(status.windowOpacity(), 210 / 255.0, 0.01);

    EXPECT_EQ(status.TextRect(), QRect(50, 0, 455, 133));
    EXPECT_EQ(status.ShownText(), status.GetText());
    // The light-grey corner is cut out, the dark letters of the logo stay.
    const QRegion mask = status.mask();
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    QPoint dark(-1, -1);
    for (int x = 0; x < logo.width() && dark.x() < 0; ++x)
        for (int y = 0; y < logo.height() && dark.x() < 0; ++y)
            if (qGray(logo.pixel(x, y)) < 60)
                dark = QPoint(x, y);
    ASSERT_GE(dark.x(), 0);
    EXPECT_TRUE(mask.contains(dark));
    EXPECT_EQ(status.Render().pixel(dark), logo.pixel(dark));
}

TEST(StatusWindow, ShortensALongTextAtItsEnd)
{
    CTransparentDialogDlg status;
    const QString text = QStringLiteral("Lade die Orvanta™-Programmmodule. ").repeated(8);
    status.SetText(text);
    const QString shown = status.ShownText();
    EXPECT_LT(shown.size(), text.size());
    EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
    EXPECT_TRUE(text.startsWith(shown.chopped(1)));
}

TEST(ProjectDescription, OkTakesTheEditedComment)
{
    CProjectDescriptionDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Projektkommentar"));
    dialog.SetComment(QStringLiteral("alt"));
    dialog.accept();
    EXPECT_EQ(dialog.GetComment(), QStringLiteral("alt"));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(AboutBox, CarriesTheNoteOnTheXmlLibraryWithItsLinuxName)
{
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Info zu Orvanta"));
    QStringList texts;
    for (const QLabel* label : about.findChildren<QLabel*>())
        texts.append(label->text());
    EXPECT_TRUE(texts.contains(QStringLiteral("Orvanta nutzt libxml2.so, eine "
                                              "OpenSource-Programmnbibliothek zum Parsen und Erzeugen ")));
    EXPECT_TRUE(texts.contains(QStringLiteral("von XML-Dokumenten. libxml2 ist mit MIT-Lizenz veröffentlicht.")));
}

} // namespace
