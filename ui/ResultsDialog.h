#pragma once
// The Results dialog the export asks its two options with: copy the file to
// the server, make the results anonymous. OK and Cancel hide it and leave the
// choice in vResultsDialogCancelled; the check boxes keep their state while
// the dialog stays loaded.

#include <QDialog>

#include <memory>

namespace Ui {
class ResultsDialog;
}

namespace brisk {

class ResultsDialog : public QDialog {
    Q_OBJECT

public:
    explicit ResultsDialog(QWidget* parent = nullptr);
    ~ResultsDialog() override;
    ResultsDialog(const ResultsDialog&) = delete;
    ResultsDialog& operator=(const ResultsDialog&) = delete;

    Ui::ResultsDialog& form() { return *ui; }

    // Fills MessageText.
    void Form_Load();
    void OKButton_Click();
    void CancelButton_Click();

    // False after OK, true after Cancel (Escape and the close box too).
    bool vResultsDialogCancelled = false;

protected:
    void reject() override;

private:
    std::unique_ptr<Ui::ResultsDialog> ui;
};

} // namespace brisk
