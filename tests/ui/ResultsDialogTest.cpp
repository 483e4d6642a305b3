// The Results dialog's two answers: OK (and Enter, OK being the default)
// leaves "not cancelled"; Cancel, Escape and the close box "cancelled", the
// check boxes keeping their state while the dialog stays loaded.

#include "ui/ResultsDialog.h"
#include "ui_ResultsDialog.h"

#include <QTest>

#include <gtest/gtest.h>

namespace brisk {
namespace {

TEST(ResultsDialog, OkAndEnterAnswerNotCancelledCancelAndEscapeCancelled)
{
    ResultsDialog dialog;
    Ui::ResultsDialog& ui = dialog.form();
    const std::function<void()> answers[] = {
        [&] { QTest::mouseClick(ui.OKButton, Qt::LeftButton); },
        [&] { QTest::keyClick(ui.CopyFileToServerCheckbox, Qt::Key_Return); },
        [&] { QTest::mouseClick(ui.CancelButton, Qt::LeftButton); },
        [&] { QTest::keyClick(&dialog, Qt::Key_Escape); },
        [&] { dialog.close(); },
    };
    const bool cancelled[] = {false, false, true, true, true};
    for (std::size_t i = 0; i < std::size(answers); ++i) {
        dialog.vResultsDialogCancelled = !cancelled[i];
        dialog.show();
        ui.CopyFileToServerCheckbox->setFocus();
        ui.MakeResultsAnonymousCheckbox->setChecked(true);
        answers[i]();
        EXPECT_EQ(dialog.vResultsDialogCancelled, cancelled[i]) << "answer " << i;
        EXPECT_FALSE(dialog.isVisible()) << "answer " << i;
        EXPECT_TRUE(ui.MakeResultsAnonymousCheckbox->isChecked()) << "answer " << i;
    }
}

} // namespace
} // namespace brisk
