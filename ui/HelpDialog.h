#pragma once
// The help dialog: a banner, the help text, a picture, the product web
// site's address styled as a link, and a button to the online help.

#include "engine/Services.h"
#include "engine/Settings.h"

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class HelpDialog;
}

namespace brisk {

class HelpDialog : public QDialog {
    Q_OBJECT

public:
    HelpDialog(Desktop& desktop, const Settings& settings, QWidget* parent = nullptr);
    ~HelpDialog() override;
    HelpDialog(const HelpDialog&) = delete;
    HelpDialog& operator=(const HelpDialog&) = delete;

    Ui::HelpDialog& form() { return *ui; }

    // The eleven lines of the help text joined by "\r\n", none after the last.
    static QString helpText();

    // Fills the help text and the link's address.
    void Form_Load();
    // Opens the product's home page.
    void OnlineHelpButton_Click();
    // Opens the how-it-works page, although the link shows the home page's
    // address.
    void OnlineHelpText_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::HelpDialog> ui;
    Desktop& m_desktop;
    const Settings& m_settings;
};

} // namespace brisk
