#include "ui/FolderPickerDialog.h"

#include "platform/mailstore/OpenStore.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace brisk {
namespace {
constexpr int kFolderRole = Qt::UserRole + 1;

// A file dialog that chooses a mail store, which is a folder (Maildir, a
// tree) or a file (mbox, and other single-file stores). Double-clicking a
// folder enters it; Open takes the selected file or folder, or the folder
// shown when nothing is selected.
class StoreFileDialog : public QFileDialog {
public:
    StoreFileDialog(QWidget* parent, const QString& start) : QFileDialog(parent, "Open Mail Store", start)
    {
        setObjectName("StoreFileDialog");
        setOption(QFileDialog::DontUseNativeDialog);
        setFileMode(QFileDialog::ExistingFile);
        setAcceptMode(QFileDialog::AcceptOpen);
        setNameFilters({"Mail stores (*)"});
    }

    void accept() override
    {
        const QStringList chosen = selectedFiles();
        const QFileInfo info(chosen.isEmpty() ? directory().absolutePath() : chosen.first());
        if (info.isDir() || info.isFile())
            QDialog::accept();
    }
};

} // namespace

QString chooseStorePath(QWidget* parent, const QString& start, const std::function<void(QFileDialog&)>& driver)
{
    StoreFileDialog dialog(parent, start);
    if (driver) {
        QTimer::singleShot(0, &dialog, [&] { driver(dialog); });
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? dialog.directory().absolutePath() : chosen.first();
}

FolderPickerDialog::FolderPickerDialog(MailStore& store, MailFolder* current, QWidget* parent, TimeZone zone)
    : QDialog(parent), m_zone(std::move(zone)), m_store(&store), m_tree(new QTreeWidget(this)), m_location(new QLabel(this))
{
    setWindowTitle("Select Folder");
    setObjectName("FolderPickerDialog");
    m_tree->setObjectName("FolderTree");
    m_tree->setColumnCount(2);
    m_tree->setHeaderLabels({"Folder", "Items"});
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_tree->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* open = buttons->addButton("Open Store...", QDialogButtonBox::ActionRole);
    open->setObjectName("OpenStoreButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(open, &QPushButton::clicked, this, &FolderPickerDialog::chooseStore);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_location);
    layout->addWidget(m_tree);
    layout->addWidget(buttons);
    resize(420, 460);
    showStore(store, current);
}

void FolderPickerDialog::showStore(MailStore& store, MailFolder* current)
{
    m_store = &store;
    m_tree->clear();
    m_location->setText(QString::fromStdString(store.location()));
    addFolder(store.root(), nullptr, current);
    m_tree->expandToDepth(1);
    if (!m_tree->currentItem())
        m_tree->setCurrentItem(m_tree->topLevelItem(0));
}

void FolderPickerDialog::addFolder(MailFolder& folder, QTreeWidgetItem* parentItem, MailFolder* current)
{
    QString count;
    try {
        count = QString::number(folder.itemCount());
    } catch (const std::exception&) {
        count = "?";
    }
    const QStringList columns{QString::fromStdString(folder.name()), count};
    auto* item = parentItem ? new QTreeWidgetItem(parentItem, columns) : new QTreeWidgetItem(m_tree, columns);
    item->setData(0, kFolderRole, QVariant::fromValue(static_cast<void*>(&folder)));
    item->setTextAlignment(1, Qt::AlignRight);
    if (&folder == current)
        m_tree->setCurrentItem(item);
    try {
        for (MailFolder* child : folder.folders())
            addFolder(*child, item, current);
    } catch (const std::exception&) {
        // A folder whose subfolders cannot be listed still shows itself.
    }
}

bool FolderPickerDialog::openStore(const QString& path)
{
    try {
        auto store = openMailStore(path.toStdString(), m_zone);
        m_opened = std::move(store);
        showStore(*m_opened, nullptr);
        return true;
    } catch (const std::exception& e) {
        m_location->setText(QString::fromStdString(e.what()));
        return false;
    }
}

void FolderPickerDialog::chooseStore()
{
    const QString path = chooseStorePath(this, QString::fromStdString(m_store->location()));
    if (!path.isEmpty())
        openStore(path);
}

FolderPick FolderPickerDialog::result()
{
    FolderPick pick;
    if (QDialog::result() != QDialog::Accepted || !m_tree->currentItem())
        return pick;
    pick.folder = static_cast<MailFolder*>(m_tree->currentItem()->data(0, kFolderRole).value<void*>());
    pick.openedStore = std::move(m_opened);
    return pick;
}

FolderPick pickFolderWithDialog(MailStore& store, MailFolder* current, QWidget* parent, const TimeZone& zone)
{
    FolderPickerDialog dialog(store, current, parent, zone);
    dialog.exec();
    return dialog.result();
}

} // namespace brisk
