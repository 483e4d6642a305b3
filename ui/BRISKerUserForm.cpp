#include "ui/BRISKerUserForm.h"

#include "dates/DateText.h"
#include "ui/DesignMetrics.h"
#include "ui/HelpDialog.h"
#include "ui/chart/LiveChartView.h"
#include "ui_BRISKerUserForm.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>

#include <array>

namespace brisk {

namespace {

// Controls without an entry use the window's font.
constexpr DesignFont kWindowFont{"BRISKerUserForm", "MS Sans Serif", 8.25};
constexpr std::array kControlFonts{
    DesignFont{"PickedFolderLabel", "Tahoma", 8.25, true},
    DesignFont{"FromDatePickerText", "Tahoma", 8.25},
    DesignFont{"ToDatePickerText", "Tahoma", 8.25},
    DesignFont{"DailyEmailsAvgLabel", "Tahoma", 8.25, true},
    DesignFont{"DailyEmailsMaxLabel", nullptr, 8.25, true},
    DesignFont{"OneToOneEmailPCLabel", nullptr, 8.25, true},
    DesignFont{"ReAndFwdPercentLabel", nullptr, 8.25, true},
    DesignFont{"EmailLgtWordsLabel", nullptr, 8.25, true},
    DesignFont{"EmailSizeKBLabel", nullptr, 8.25, true},
    DesignFont{"MedianResponseHrLabel", nullptr, 8.25, true},
    DesignFont{"MedianResponseMinLabel", nullptr, 8.25, true},
    DesignFont{"TopSendersCombo", "Courier New", 8.25},
    DesignFont{"TopReceiversCombo", "Courier New", 8.25},
    DesignFont{"ChartTitleLabel", "Tahoma", 9.75},
    DesignFont{"ProgressNumLabel", nullptr, 8.25, true},
    DesignFont{"ProgressNumMaxLabel", nullptr, 8.25, true},
    DesignFont{"CurtMsgLabel", "Tahoma", 8.25},
    DesignFont{"CurtFolderLabel", "Tahoma", 8.25},
    DesignFont{"HelpButton", "Lucida Console", 11.25, true},
    DesignFont{"StartButton", "Tahoma", 9},
    DesignFont{"ExportButton", "Tahoma", 9},
};

} // namespace

BRISKerUserForm::BRISKerUserForm(const UiServices& services, AppState& app, QWidget* parent)
    : QWidget(parent), m_app(app), ui(std::make_unique<Ui::BRISKerUserForm>()), m_services(services),
      m_controller(RunContext{app.analysis, app.position, app.session.oPickedFolder, *this, services.prompts, m_log,
                              services.clock, services.settings.dateLocale})
{
    ui->setupUi(this);
    applyDesign();
    m_chartView = std::make_unique<LiveChartView>(*ui->BRISKChartOLE, m_chart);
    connectHandlers();
    seedPanel();
    setUpFrameTimer();
    m_folderPicker = [zone = services.settings.dateLocale.zone](MailStore& store, MailFolder* current, QWidget* parent) {
        return pickFolderWithDialog(store, current, parent, zone);
    };
    RefreshChart();
}

BRISKerUserForm::~BRISKerUserForm() = default;

void BRISKerUserForm::applyDesign()
{
    applyDesignFonts(*this, kWindowFont, kControlFonts);
    // Captions stand at the top of their boxes, which are taller than a line
    // and reach under the controls below them (" dd/mm/yy" over the date box).
    for (QLabel* label : findChildren<QLabel*>())
        if (label->alignment() == (Qt::AlignLeft | Qt::AlignVCenter))
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scaleToScreen(*this);
    centreOnScreen(*this);
}

void BRISKerUserForm::connectHandlers()
{
    connect(ui->TimeOfDayOptionButton, &QRadioButton::clicked, this,
            &BRISKerUserForm::TimeOfDayOptionButton_Click);
    connect(ui->DayOfWeekOptionButton, &QRadioButton::clicked, this,
            &BRISKerUserForm::DayOfWeekOptionButton_Click);
    connect(ui->MonthOfYearOptionButton, &QRadioButton::clicked, this,
            &BRISKerUserForm::MonthOfYearOptionButton_Click);
    connect(ui->IgnoreDateFilterRadio, &QRadioButton::clicked, this,
            &BRISKerUserForm::IgnoreDateFilterRadio_Click);
    connect(ui->DateFilterRadio, &QRadioButton::clicked, this, &BRISKerUserForm::DateFilterRadio_Click);
    // textEdited, not textChanged: only the user's changes are checked, so a
    // text set by the program never raises a message.
    connect(ui->FromDatePickerText, &QLineEdit::textEdited, this,
            &BRISKerUserForm::FromDatePickerText_Change);
    connect(ui->ToDatePickerText, &QLineEdit::textEdited, this, &BRISKerUserForm::ToDatePickerText_Change);
    connect(ui->HelpButton, &QPushButton::clicked, this, &BRISKerUserForm::HelpButton_Click);
    connect(ui->StartButton, &QPushButton::clicked, this, &BRISKerUserForm::StartButton_Click);
    connect(ui->PickFolderButton, &QPushButton::clicked, this, &BRISKerUserForm::PickFolderButton_Click);
    connect(ui->ExportButton, &QPushButton::clicked, this, &BRISKerUserForm::ExportButton_Click);
    connect(ui->ReportButton, &QPushButton::clicked, this, &BRISKerUserForm::ReportButton_Click);
}

chart::ChartMode BRISKerUserForm::selectedChartMode() const
{
    return chart::chartModeOf(ui->DayOfWeekOptionButton->isChecked(), ui->MonthOfYearOptionButton->isChecked());
}

std::vector<double> BRISKerUserForm::SelectChartData()
{
    const chart::ChartMode mode = selectedChartMode();
    m_chart.selectValues(mode);
    return chart::chartPercentages(m_app.analysis, mode);
}

// The chart is drawn by the window itself: the write cannot time out.
bool BRISKerUserForm::WriteChartValues(const std::vector<double>& values)
{
    m_chart.writeValues(values);
    repaint();
    return true;
}

void BRISKerUserForm::RefreshChart()
{
    const std::vector<double> values = SelectChartData();
    WriteChartValues(values);
}

void BRISKerUserForm::SetChartSource()
{
    const chart::ChartMode mode = selectedChartMode();
    ui->ChartTitleLabel->setText(QString::fromUtf8(chart::chartTitle(mode)));
    m_chart.showMode(mode);
}

void BRISKerUserForm::chartModeClicked()
{
    SetChartSource();
    RefreshChart();
    m_chartView->redraw();
}

void BRISKerUserForm::TimeOfDayOptionButton_Click()
{
    chartModeClicked();
}

void BRISKerUserForm::DayOfWeekOptionButton_Click()
{
    chartModeClicked();
}

void BRISKerUserForm::MonthOfYearOptionButton_Click()
{
    chartModeClicked();
}

void BRISKerUserForm::applyDateFilterEnabling()
{
    ui->FromDatePickerText->setEnabled(!ui->IgnoreDateFilterRadio->isChecked());
    ui->ToDatePickerText->setEnabled(!ui->IgnoreDateFilterRadio->isChecked());
}

void BRISKerUserForm::IgnoreDateFilterRadio_Click()
{
    applyDateFilterEnabling();
}

void BRISKerUserForm::DateFilterRadio_Click()
{
    applyDateFilterEnabling();
}

void BRISKerUserForm::complainUnlessDate(QLineEdit& box)
{
    if (parseDateText(box.text().toStdString(), m_services.settings.dateLocale.order))
        return;
    m_services.prompts.inform("Invalid date!");
    box.setFocus();
}

void BRISKerUserForm::FromDatePickerText_Change()
{
    complainUnlessDate(*ui->FromDatePickerText);
}

void BRISKerUserForm::ToDatePickerText_Change()
{
    complainUnlessDate(*ui->ToDatePickerText);
}

void BRISKerUserForm::HelpButton_Click()
{
    // A fresh dialog per click, deleted when closed: every opening loads it anew.
    auto* dialog = new HelpDialog(m_services.desktop, m_services.settings, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->exec();
}

void BRISKerUserForm::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && ui->StartButton->isVisible() && ui->StartButton->isEnabled()) {
        ui->StartButton->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace brisk
