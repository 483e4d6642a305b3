// "Open Store..." of the folder picker takes a store that is a folder or a
// single file (an mbox file; other stores come as files too), and nothing
// that does not exist.

#include "tests/support/MemoryStore.h"
#include "tests/support/TestSupport.h"
#include "ui/FolderPickerDialog.h"

#include <QFileDialog>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace brisk::test {
namespace {

TEST(StoreChooser, OpenStoreTakesAMailboxFileOrAFolderButNothingMissing)
{
    TempDir dir;
    const auto mbox = dir / "Archive";
    writeFile(mbox, "From a@example.com Thu Jan  1 00:00:00 2015\nFrom: a@example.com\nSubject: one\n"
                    "Date: Thu, 1 Jan 2015 00:00:00 +0000\n\nbody\n");
    const auto folder = dir / "Maildir";
    std::filesystem::create_directories(folder / "cur");
    const QString start = QString::fromStdString(dir.path().string());
    for (const auto& path : {mbox, folder}) {
        const QString wanted = QString::fromStdString(path.string());
        const QString chosen = chooseStorePath(nullptr, start, [&](QFileDialog& dialog) {
            dialog.selectFile(wanted);
            static_cast<QDialog&>(dialog).accept(); // Open
        });
        EXPECT_EQ(chosen, wanted);
    }
    const QString missing = chooseStorePath(nullptr, start, [&](QFileDialog& dialog) {
        dialog.selectFile(start + "/no-such-store");
        static_cast<QDialog&>(dialog).accept();
        EXPECT_TRUE(dialog.isVisible()) << "a missing store is not taken";
        dialog.reject();
    });
    EXPECT_TRUE(missing.isEmpty());

    MemoryStore store;
    FolderPickerDialog picker(store, nullptr);
    ASSERT_TRUE(picker.openStore(QString::fromStdString(mbox.string())));
    ASSERT_EQ(picker.tree().topLevelItemCount(), 1);
    EXPECT_EQ(picker.tree().topLevelItem(0)->text(1), "1") << "the mbox file's one message";
}

} // namespace
} // namespace brisk::test
