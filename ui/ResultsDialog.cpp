#include "ui/ResultsDialog.h"

#include "ui/DesignMetrics.h"
#include "ui_ResultsDialog.h"

#include <span>

namespace brisk {

namespace {

constexpr DesignFont kDialogFont{"ResultsDialog", "MS Sans Serif", 8.25};

} // namespace

ResultsDialog::ResultsDialog(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::ResultsDialog>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    applyDesignFonts(*this, kDialogFont, std::span<const DesignFont>());
    scaleToScreen(*this);
    connect(ui->OKButton, &QPushButton::clicked, this, &ResultsDialog::OKButton_Click);
    connect(ui->CancelButton, &QPushButton::clicked, this, &ResultsDialog::CancelButton_Click);
    Form_Load();
}

ResultsDialog::~ResultsDialog() = default;

void ResultsDialog::Form_Load()
{
    ui->MessageText->setPlainText(
        "This will now load detailed results in an excel file for further analysis. "
        "You can also choose to save a copy on the server, and remove any reference to names.");
}

void ResultsDialog::OKButton_Click()
{
    vResultsDialogCancelled = false;
    QDialog::accept();
}

void ResultsDialog::CancelButton_Click()
{
    vResultsDialogCancelled = true;
    QDialog::reject();
}

// Escape and the window's close box answer as Cancel does.
void ResultsDialog::reject()
{
    CancelButton_Click();
}

} // namespace brisk
