#pragma once
// The folder picker: the mail store's folder tree with each folder's item
// count, OK and Cancel, returning one folder or nothing; "Open Store..." opens
// another mail store and shows its tree instead.

#include "dates/TimeZone.h"
#include "engine/MailStore.h"

#include <QDialog>

#include <functional>
#include <memory>

class QFileDialog;
class QTreeWidget;
class QTreeWidgetItem;
class QLabel;

namespace brisk {

struct FolderPick {
    MailFolder* folder = nullptr;            // nothing when cancelled
    std::unique_ptr<MailStore> openedStore;  // set when the folder lies in another store
};

class FolderPickerDialog : public QDialog {
    Q_OBJECT

public:
    // A store opened from the dialog gives its times in `zone`.
    FolderPickerDialog(MailStore& store, MailFolder* current, QWidget* parent = nullptr,
                       TimeZone zone = TimeZone::utc());

    FolderPick result();
    // Opens the store at a path and shows its tree; false with a message in
    // the dialog when it is not a mail store.
    bool openStore(const QString& path);
    QTreeWidget& tree() { return *m_tree; }

private:
    void showStore(MailStore& store, MailFolder* current);
    void addFolder(MailFolder& folder, QTreeWidgetItem* parentItem, MailFolder* current);
    void chooseStore();

    TimeZone m_zone;
    MailStore* m_store;
    std::unique_ptr<MailStore> m_opened;
    QTreeWidget* m_tree;
    QLabel* m_location;
};

// Asks for a mail store, a folder or a file, starting at `start`; empty when
// cancelled. A test passes `driver`, called with the open dialog.
QString chooseStorePath(QWidget* parent, const QString& start,
                        const std::function<void(QFileDialog&)>& driver = nullptr);

// Shows the picker modally.
using FolderPicker = std::function<FolderPick(MailStore& store, MailFolder* current, QWidget* parent)>;
FolderPick pickFolderWithDialog(MailStore& store, MailFolder* current, QWidget* parent,
                                const TimeZone& zone = TimeZone::utc());

} // namespace brisk
