// The dialogs beside the main window (the Results dialog's answers, the
// folder picker's "Open Store...") and the design metrics every window uses.

#include "tests/support/MemoryStore.h"
#include "tests/support/TestSupport.h"
#include "ui/DesignMetrics.h"
#include "ui/FolderPickerDialog.h"
#include "ui/ResultsDialog.h"
#include "ui_ResultsDialog.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace brisk::test {
namespace {

// OK (and Enter, OK being the default) leaves "not cancelled"; Cancel, Escape
// and the close box "cancelled", the check boxes keeping their state.
TEST(ResultsDialog, OkAndEnterAnswerNotCancelledCancelAndEscapeCancelled)
{
    ResultsDialog dialog;
    Ui::ResultsDialog& ui = dialog.form();
    const std::pair<std::function<void()>, bool> answers[] = {
        {[&] { QTest::mouseClick(ui.OKButton, Qt::LeftButton); }, false},
        {[&] { QTest::keyClick(ui.CopyFileToServerCheckbox, Qt::Key_Return); }, false},
        {[&] { QTest::mouseClick(ui.CancelButton, Qt::LeftButton); }, true},
        {[&] { QTest::keyClick(&dialog, Qt::Key_Escape); }, true},
        {[&] { dialog.close(); }, true},
    };
    for (const auto& [answer, cancelled] : answers) {
        dialog.vResultsDialogCancelled = !cancelled;
        dialog.show();
        ui.CopyFileToServerCheckbox->setFocus();
        ui.MakeResultsAnonymousCheckbox->setChecked(true);
        answer();
        EXPECT_EQ(dialog.vResultsDialogCancelled, cancelled);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_TRUE(ui.MakeResultsAnonymousCheckbox->isChecked());
    }
}

TEST(StoreChooser, OpenStoreTakesAMailboxFileOrAFolderButNothingMissing)
{
    TempDir dir;
    writeFile(dir / "Archive",
              "From a@example.com Thu Jan  1 00:00:00 2015\nFrom: a@example.com\nSubject: one\n"
              "Date: Thu, 1 Jan 2015 00:00:00 +0000\n\nbody\n");
    std::filesystem::create_directories(dir / "Maildir" / "cur");
    const QString start = QString::fromStdString(dir.path().string());
    for (const QString& wanted : {start + "/Archive", start + "/Maildir", start + "/no-such-store"}) {
        const bool exists = !wanted.endsWith("store");
        const QString chosen = chooseStorePath(nullptr, start, [&](QFileDialog& dialog) {
            dialog.selectFile(wanted);
            static_cast<QDialog&>(dialog).accept(); // Open
            EXPECT_EQ(dialog.isVisible(), !exists) << "a missing store is not taken";
            if (!exists)
                dialog.reject();
        });
        EXPECT_EQ(chosen, exists ? wanted : QString());
    }
    MemoryStore store;
    FolderPickerDialog picker(store, nullptr);
    ASSERT_TRUE(picker.openStore(start + "/Archive"));
    ASSERT_EQ(picker.tree().topLevelItemCount(), 1);
    EXPECT_EQ(picker.tree().topLevelItem(0)->text(1), "1") << "the mbox file's one message";
}

// Controls inside frames scale with them.
TEST(DesignMetrics, MissingFontsFallBackToTheSameKindAndScalingMovesEveryControl)
{
    for (const char* family : {"Tahoma", "MS Sans Serif", "Courier New", "Lucida Console"})
        EXPECT_EQ(QFontDatabase::isFixedPitch(installedFamily(family)), family[0] == 'C' || family[0] == 'L') << family;
    const QString installedOne = QFontDatabase::families().value(0);
    EXPECT_EQ(installedFamily(installedOne), installedOne) << "an installed family is kept";

    QWidget root;
    root.resize(200, 100);
    auto* frame = new QGroupBox("Frame", &root);
    auto* inner = new QLineEdit(frame);
    auto* combo = new QComboBox(&root);
    frame->setGeometry(8, 16, 100, 60);
    inner->setGeometry(8, 24, 41, 19);
    combo->setGeometry(110, 10, 80, 22);
    scaleDesign(root, 1.5);
    EXPECT_EQ((std::array{root.size(), root.minimumSize(), root.maximumSize()}),
              (std::array{QSize(300, 150), QSize(300, 150), QSize(300, 150)}));
    EXPECT_EQ((std::array{frame->geometry(), inner->geometry(), combo->geometry()}),
              (std::array{QRect(12, 24, 150, 90), QRect(12, 36, 62, 29), QRect(165, 15, 120, 33)}));
}

} // namespace
} // namespace brisk::test
