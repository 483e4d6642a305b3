#include "ui/HelpDialog.h"

#include "ui/DesignMetrics.h"
#include "ui_HelpDialog.h"

#include <QMouseEvent>

#include <array>

// The pictures live in a static library: their resources must be registered
// by hand before the first dialog loads them.
static void registerHelpPictures()
{
    Q_INIT_RESOURCE(BriskUi);
}

namespace brisk {

namespace {

constexpr DesignFont kDialogFont{"HelpDialog", "MS Sans Serif", 8.25};
constexpr std::array kControlFonts{
    DesignFont{"MainHelpText", "Tahoma", 8.25},
    DesignFont{"OnlineHelpText", "Tahoma", 9.75, true, true},
};

constexpr std::array<const char*, 11> kHelpLines{
    "Getting started is easy.",
    "Simply choose a folder, click Start, then watch the action !",
    "",
    "Move the cursor over any field to get quick help on it.",
    "",
    "Choose different graph options to analyse your email stats.",
    "Click Results to get an Excel output for further analysis.",
    "",
    "We also invite you to submit your results online.",
    "",
    "For further help visit us online using the link or button below.",
};

} // namespace

HelpDialog::HelpDialog(Desktop& desktop, const Settings& settings, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::HelpDialog>()), m_desktop(desktop), m_settings(settings)
{
    registerHelpPictures();
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    applyDesignFonts(*this, kDialogFont, kControlFonts);
    scaleToScreen(*this);
    ui->OnlineHelpText->installEventFilter(this);
    connect(ui->OnlineHelpButton, &QPushButton::clicked, this, &HelpDialog::OnlineHelpButton_Click);
    Form_Load();
}

HelpDialog::~HelpDialog() = default;

QString HelpDialog::helpText()
{
    QStringList lines;
    for (const char* line : kHelpLines)
        lines.append(QString::fromUtf8(line));
    return lines.join("\r\n");
}

void HelpDialog::Form_Load()
{
    ui->MainHelpText->setPlainText(helpText());
    ui->OnlineHelpText->setText(QString::fromStdString(m_settings.ProductHomePageUrl));
    ui->OnlineHelpText->setCursorPosition(0);
}

void HelpDialog::OnlineHelpButton_Click()
{
    m_desktop.openUrl(m_settings.ProductHomePageUrl);
}

void HelpDialog::OnlineHelpText_Click()
{
    m_desktop.openUrl(m_settings.HowItWorksPageUrl);
}

bool HelpDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->OnlineHelpText && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        OnlineHelpText_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace brisk
