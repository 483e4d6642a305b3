// The Results dialog's layout and its two answers.

#include "ui/DesignMetrics.h"
#include "ui/ResultsDialog.h"
#include "ui_ResultsDialog.h"

#include <QTest>

#include <gtest/gtest.h>

namespace brisk {
namespace {

class ResultsDialogTest : public ::testing::Test {
protected:
    ResultsDialog dialog;
    Ui::ResultsDialog& ui = dialog.form();
    QRect px(int left, int top, int width, int height)
    {
        return QRect(twipsToPixels(dialog, left), twipsToPixels(dialog, top), twipsToPixels(dialog, width),
                     twipsToPixels(dialog, height));
    }
};

TEST_F(ResultsDialogTest, LayoutIsAsDesigned)
{
    EXPECT_EQ(dialog.windowTitle(), "Results");
    EXPECT_EQ(dialog.size(), QSize(twipsToPixels(dialog, 4320), twipsToPixels(dialog, 2265)));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "fixed border";
    EXPECT_EQ(ui.MessageText->geometry(), px(360, 120, 3735, 855));
    EXPECT_EQ(ui.CopyFileToServerCheckbox->geometry(), px(360, 960, 2415, 375));
    EXPECT_EQ(ui.MakeResultsAnonymousCheckbox->geometry(), px(360, 1320, 2415, 375));
    EXPECT_EQ(ui.OKButton->geometry(), px(1560, 1800, 1215, 375));
    EXPECT_EQ(ui.CancelButton->geometry(), px(2880, 1800, 1215, 375));
    EXPECT_EQ(ui.CopyFileToServerCheckbox->text(), "Copy the file on the server");
    EXPECT_EQ(ui.MakeResultsAnonymousCheckbox->text(), "Make results anonymous");
    EXPECT_EQ(ui.OKButton->text(), "OK");
    EXPECT_EQ(ui.CancelButton->text(), "Cancel");
    EXPECT_TRUE(ui.OKButton->isDefault());
    EXPECT_FALSE(ui.CancelButton->isDefault());
    EXPECT_EQ(ui.MessageText->toPlainText(),
              "This will now load detailed results in an excel file for further analysis. "
              "You can also choose to save a copy on the server, and remove any reference to names.");
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST_F(ResultsDialogTest, TabOrderFollowsTheOrderOfCreation)
{
    const QList<QWidget*> expected{ui.MessageText, ui.MakeResultsAnonymousCheckbox,
                                   ui.CopyFileToServerCheckbox, ui.CancelButton, ui.OKButton};
    for (int i = 0; i + 1 < expected.size(); ++i) {
        QWidget* next = expected[i]->nextInFocusChain();
        while (!expected.contains(next))
            next = next->nextInFocusChain();
        EXPECT_EQ(next, expected[i + 1]) << expected[i]->objectName().toStdString();
    }
}

TEST_F(ResultsDialogTest, OkAndEnterAnswerNotCancelled)
{
    dialog.vResultsDialogCancelled = true;
    dialog.show();
    QTest::mouseClick(ui.OKButton, Qt::LeftButton);
    EXPECT_FALSE(dialog.vResultsDialogCancelled);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    dialog.vResultsDialogCancelled = true;
    dialog.show();
    ui.CopyFileToServerCheckbox->setFocus();
    QTest::keyClick(ui.CopyFileToServerCheckbox, Qt::Key_Return);
    EXPECT_FALSE(dialog.vResultsDialogCancelled) << "OK is the default button";
}

TEST_F(ResultsDialogTest, CancelAndEscapeAnswerCancelledKeepingTheChecks)
{
    dialog.show();
    ui.MakeResultsAnonymousCheckbox->setChecked(true);
    QTest::mouseClick(ui.CancelButton, Qt::LeftButton);
    EXPECT_TRUE(dialog.vResultsDialogCancelled);
    EXPECT_FALSE(dialog.isVisible());

    dialog.vResultsDialogCancelled = false;
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.vResultsDialogCancelled);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(ui.MakeResultsAnonymousCheckbox->isChecked()) << "the dialog keeps its checks while loaded";
}

} // namespace
} // namespace brisk
