// The help dialog: its text box shows the help text's lines without the
// carriage returns they are joined by; the button opens the product's home
// page and the link, which shows that address, the how-it-works page.

#include "tests/support/TestSupport.h"
#include "ui/HelpDialog.h"
#include "ui_HelpDialog.h"

#include <QTest>

#include <gtest/gtest.h>

namespace brisk::test {
namespace {

TEST(HelpDialog, ShowsItsLinesAndOpensTheTwoPages)
{
    RecordingDesktop desktop;
    Settings settings;
    settings.ProductHomePageUrl = "https://home.example.test/";
    settings.HowItWorksPageUrl = "https://home.example.test/how";
    HelpDialog dialog(desktop, settings);
    Ui::HelpDialog& ui = dialog.form();
    EXPECT_EQ(ui.MainHelpText->document()->blockCount(), HelpDialog::helpText().count("\r\n") + 1);
    EXPECT_FALSE(ui.MainHelpText->toPlainText().contains('\r'));
    EXPECT_TRUE(ui.MainHelpText->isReadOnly());
    EXPECT_EQ(ui.OnlineHelpText->text(), "https://home.example.test/");

    dialog.show();
    QTest::mouseClick(ui.OnlineHelpButton, Qt::LeftButton);
    QTest::mouseClick(ui.OnlineHelpText, Qt::LeftButton);
    EXPECT_EQ(desktop.urls, (std::vector<std::string>{"https://home.example.test/", "https://home.example.test/how"}));
}

} // namespace
} // namespace brisk::test
