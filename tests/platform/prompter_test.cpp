// The message box the program shows when no fake is installed.
#include "platform/prompter.h"

#include "support/shown_text.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Names in messages read as the user typed them, whatever they look like.
TEST(MessageBoxPrompter, ShowsNamesAsTyped)
{
    const char* const texts[] = {
        "Spektrum 'Filter <b>rot</b>' wirklich löschen?",
        "Die Datei '<i>lampe</i>.pxml' kann nicht geöffnet werden.",
        "Der Eintrag 'a<br>b' existiert bereits.",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        QString shown;
        QString caption;
        // The box runs its own event loop: read it there, then close it.
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            caption = box->windowTitle();
            if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
                shown = ShownText(*label);
            box->done(QMessageBox::Ok);
        });
        platform::ShowMessage(nullptr, QStringLiteral("Fehler"), QString::fromUtf8(text), platform::PromptIcon::Error);
        EXPECT_EQ(caption, QStringLiteral("Fehler"));
        EXPECT_EQ(shown, QString::fromUtf8(text));
    }
}

} // namespace
