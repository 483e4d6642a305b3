// The help dialog: its text, pictures and links, and its modal opening from
// the main window's "?" button.

#include "tests/ui/UiFixture.h"
#include "ui/DesignMetrics.h"
#include "ui/HelpDialog.h"
#include "ui_HelpDialog.h"

#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

namespace brisk::test {
namespace {

TEST(HelpDialogText, ElevenLinesJoinedByCarriageReturnLineFeed)
{
    const QString text = HelpDialog::helpText();
    EXPECT_FALSE(text.endsWith("\r\n"));
    const QStringList lines = text.split("\r\n");
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines[0], "Getting started is easy.");
    EXPECT_EQ(lines[1], "Simply choose a folder, click Start, then watch the action !");
    EXPECT_EQ(lines[3], "Move the cursor over any field to get quick help on it.");
    EXPECT_EQ(lines[5], "Choose different graph options to analyse your email stats.");
    EXPECT_EQ(lines[6], "Click Results to get an Excel output for further analysis.");
    EXPECT_EQ(lines[8], "We also invite you to submit your results online.");
    EXPECT_EQ(lines[10], "For further help visit us online using the link or button below.");
    for (int empty : {2, 4, 7, 9})
        EXPECT_TRUE(lines[empty].isEmpty()) << "line " << empty + 1;
}

class HelpDialogTest : public ::testing::Test {
protected:
    RecordingDesktop desktop;
    Settings settings = uiTestSettings();
    HelpDialog dialog{desktop, settings};
    Ui::HelpDialog& ui = dialog.form();
};

TEST_F(HelpDialogTest, TheTextBoxShowsTheElevenLines)
{
    const QTextDocument* document = ui.MainHelpText->document();
    ASSERT_EQ(document->blockCount(), 11);
    EXPECT_EQ(document->findBlockByNumber(0).text(), "Getting started is easy.");
    EXPECT_EQ(document->findBlockByNumber(2).text(), "");
    EXPECT_EQ(document->findBlockByNumber(10).text(),
              "For further help visit us online using the link or button below.");
    EXPECT_FALSE(ui.MainHelpText->toPlainText().contains('\r'));
    EXPECT_TRUE(ui.MainHelpText->isReadOnly());
}

TEST_F(HelpDialogTest, LayoutCaptionPicturesAndLinkStyle)
{
    EXPECT_EQ(dialog.windowTitle(), "Help... sort of !");
    EXPECT_EQ(dialog.size(), QSize(twipsToPixels(dialog, 6255), twipsToPixels(dialog, 3690)));
    EXPECT_EQ(ui.Picture1->pixmap().size(), QSize(402, 59));
    EXPECT_EQ(ui.Picture2->pixmap().size(), QSize(105, 140));
    EXPECT_EQ(ui.OnlineHelpButton->text(), "Goto Online Help >>");
    EXPECT_EQ(ui.OnlineHelpText->text(), "https://home.example.test/");
    const QFont link = ui.OnlineHelpText->font();
    EXPECT_DOUBLE_EQ(link.pointSizeF(), 9.75 * substituteScale("Tahoma"));
    EXPECT_TRUE(link.bold());
    EXPECT_TRUE(link.underline());
    EXPECT_TRUE(ui.OnlineHelpText->styleSheet().contains("color: blue"));
    EXPECT_EQ(ui.OnlineHelpText->geometry(), QRect(twipsToPixels(dialog, 120), twipsToPixels(dialog, 3240),
                                                   twipsToPixels(dialog, 4200), twipsToPixels(dialog, 255)))
        << "wide enough for the product's address, up to the button";
}

TEST_F(HelpDialogTest, ButtonOpensTheHomePageAndTheLinkTheHowItWorksPage)
{
    dialog.show();
    QTest::mouseClick(ui.OnlineHelpButton, Qt::LeftButton);
    QTest::mouseClick(ui.OnlineHelpText, Qt::LeftButton);
    EXPECT_EQ(desktop.urls,
              (std::vector<std::string>{"https://home.example.test/", "https://home.example.test/how"}));
}

TEST_F(MainWindowTest, HelpButtonShowsAFreshModalDialogEachTime)
{
    window->show();
    for (int opening = 1; opening <= 2; ++opening) {
        QString shownText;
        bool modal = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<HelpDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr)
                return;
            modal = dialog->isModal() && dialog->parentWidget() == window.get();
            shownText = dialog->form().MainHelpText->toPlainText();
            dialog->close();
        });
        QTest::mouseClick(ui.HelpButton, Qt::LeftButton);
        EXPECT_TRUE(modal) << "opening " << opening;
        EXPECT_EQ(shownText.split('\n').size(), 11) << "opening " << opening;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(window->findChild<HelpDialog*>(), nullptr) << "closing unloads the dialog";
    }
}

} // namespace
} // namespace brisk::test
