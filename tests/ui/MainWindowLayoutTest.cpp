// The main window as designed: every control by name, kind, caption,
// tooltip, position and size (twips at 15 to the pixel, scaled to the
// screen), its fonts, tab order and initial states.

#include "tests/ui/UiFixture.h"
#include "ui/DesignMetrics.h"

#include <QtCharts/QChartView>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace brisk::test {
namespace {

enum class Kind { Frame, Label, TextBox, ValueBox, Option, Combo, Button, Chart };

struct Control {
    const char* name;
    const char* container;
    Kind kind;
    const char* caption;
    const char* tooltip;
    int left, top, width, height;
};

constexpr const char* kForm = "BRISKerUserForm";
constexpr const char* kPick = "Pick a folder to analyse (default is Sent Items)";
constexpr const char* kMedian = "Time in responding to emails (median)";

// Twips, relative to the container. The progress counts and the number of
// e-mails found are narrower and moved left, so that "(1234567 email
// messages found)" fits beside them.
const Control kControls[] = {
    {"Frame2", kForm, Kind::Frame, "Setup", "", 0, 0, 3495, 1455},
    {"Label1", "Frame2", Kind::Label, "Mail Folder", "", 120, 360, 1335, 375},
    {"PickedFolderLabel", "Frame2", Kind::ValueBox, "Sent Items", kPick, 960, 240, 1575, 405},
    {"PickFolderButton", "Frame2", Kind::Button, "Pick...", kPick, 2640, 240, 735, 375},
    {"IgnoreDateFilterRadio", "Frame2", Kind::Option, "All Emails in folder", "", 120, 720, 1815, 255},
    {"Label3", "Frame2", Kind::Label, " dd/mm/yy", "", 2400, 840, 855, 375},
    {"DateFilterRadio", "Frame2", Kind::Option, "In period", "", 120, 1080, 1095, 255},
    {"FromDatePickerText", "Frame2", Kind::TextBox, "01/01/11", "Only analyse emails after this date", 1200, 1080, 855, 285},
    {"Label19", "Frame2", Kind::Label, "to", "", 2160, 1080, 495, 375},
    {"ToDatePickerText", "Frame2", Kind::TextBox, "31/12/11", "Only analyse emails upto this date", 2400, 1080, 975, 285},
    {"Frame1", kForm, Kind::Frame, "Results", "", 0, 1560, 3495, 3735},
    {"Label2", "Frame1", Kind::Label, "Top senders", "", 120, 360, 975, 375},
    {"Label22", "Frame1", Kind::Label, "Receivers", "", 120, 720, 735, 375},
    {"Frame5", "Frame1", Kind::Frame, "# Emails / day", "", 120, 1200, 1335, 1215},
    {"Label4", "Frame5", Kind::Label, "Avg", "", 120, 360, 375, 375},
    {"DailyEmailsAvgLabel", "Frame5", Kind::ValueBox, "0", "Average #emails/day", 600, 360, 615, 285},
    {"Label5", "Frame5", Kind::Label, "Max", "", 120, 720, 375, 375},
    {"DailyEmailsMaxLabel", "Frame5", Kind::ValueBox, "0", "Maximum #emails/day", 600, 720, 615, 285},
    {"Frame7", "Frame1", Kind::Frame, "# Emails types", "", 1440, 1200, 1935, 1215},
    {"Label7", "Frame7", Kind::Label, "One-to-one", "", 120, 360, 855, 375},
    {"OneToOneEmailPCLabel", "Frame7", Kind::ValueBox, "0", "% of emails sent between two individuals", 1080, 360, 615, 285},
    {"Label8", "Frame7", Kind::Label, "   %", "", 1560, 360, 255, 255},
    {"Label6", "Frame7", Kind::Label, "Re: and Fw:", "", 120, 720, 975, 375},
    {"ReAndFwdPercentLabel", "Frame7", Kind::ValueBox, "0", "% of emails that are replies or forwards", 1080, 720, 615, 285},
    {"Label9", "Frame7", Kind::Label, "   %", "", 1560, 720, 255, 255},
    {"Frame6", "Frame1", Kind::Frame, "Mail size", "", 120, 2400, 3255, 615},
    {"Label10", "Frame6", Kind::Label, "Length", "", 120, 240, 615, 255},
    {"EmailLgtWordsLabel", "Frame6", Kind::ValueBox, "0",
     "Average length of email (Note: typically 100 words would be an A4 para with 5-6 full lines)", 720, 240, 615, 285},
    {"Label11", "Frame6", Kind::Label, " words", "", 1320, 240, 615, 255},
    {"Label12", "Frame6", Kind::Label, "Size", "", 1920, 240, 375, 255},
    {"EmailSizeKBLabel", "Frame6", Kind::ValueBox, "0", "Average size of emails in kilobytes", 2280, 240, 615, 285},
    {"Label13", "Frame6", Kind::Label, " kb", "", 2880, 240, 255, 255},
    {"Frame8", "Frame1", Kind::Frame, "Email response time", "", 120, 3000, 3255, 615},
    {"Label14", "Frame8", Kind::Label, "Time to reply", "", 120, 240, 1095, 255},
    {"MedianResponseHrLabel", "Frame8", Kind::ValueBox, "0", kMedian, 1200, 240, 615, 285},
    {"Label15", "Frame8", Kind::Label, "hr", "", 1920, 240, 255, 255},
    {"MedianResponseMinLabel", "Frame8", Kind::ValueBox, "0", kMedian, 2160, 240, 615, 285},
    {"Label16", "Frame8", Kind::Label, "min", "", 2880, 240, 255, 255},
    {"TopSendersCombo", kForm, Kind::Combo, "Top Senders List", "List of top email senders in the folder", 960, 1800, 2415, 330},
    {"TopReceiversCombo", kForm, Kind::Combo, "Top Receivers List", "List of top email receivers in the folder", 960, 2280, 2415, 330},
    {"Frame3", kForm, Kind::Frame, "Live Graph", "", 3600, 0, 6015, 3975},
    {"TimeOfDayOptionButton", "Frame3", Kind::Option, "Time of Day", "Show emails for different hours", 120, 240, 1455, 375},
    {"DayOfWeekOptionButton", "Frame3", Kind::Option, "Day of Week", "Show emails for different days", 1560, 240, 1455, 375},
    {"MonthOfYearOptionButton", "Frame3", Kind::Option, "Month of Year", "Show emails for different months", 3000, 240, 1455, 375},
    {"ChartTitleLabel", "Frame3", Kind::Label, "% Emails during different days", "", 1560, 1080, 3015, 255},
    {"BRISKChartOLE", "Frame3", Kind::Chart, "", "", 210, 1020, 5775, 2955},
    {"Frame4", kForm, Kind::Frame, "Analysis progress", "", 3600, 4080, 6015, 1215},
    {"ProgressBarBackLabel", "Frame4", Kind::Label, "", "", 1680, 120, 4215, 255},
    {"ProgressBarLabel", "Frame4", Kind::Label, "", "", 1680, 120, 255, 255},
    {"Label17", "Frame4", Kind::Label, "Messages analysed", "", 120, 480, 1575, 255},
    {"ProgressNumLabel", "Frame4", Kind::ValueBox, "0", "Messages processed so far", 1680, 480, 735, 285},
    {"Label18", "Frame4", Kind::Label, "of", "", 2520, 480, 255, 255},
    {"ProgressNumMaxLabel", "Frame4", Kind::ValueBox, "0", "Total number of messages in the folder", 2880, 480, 735, 285},
    {"NumValidEmailsLabel", "Frame4", Kind::Label, "(0 email messages found)",
     "#emails (i.e. all messages excluding meeting invites, tasks, etc)", 3660, 480, 2325, 255},
    {"Label20", "Frame4", Kind::Label, "Current message", "", 120, 840, 1575, 255},
    {"CurtMsgLabel", "Frame4", Kind::ValueBox, "<none>", "Current message being processed", 1680, 840, 2175, 285},
    {"Label21", "Frame4", Kind::Label, "Folder", "", 3960, 840, 495, 255},
    {"CurtFolderLabel", "Frame4", Kind::ValueBox, "<none>", "Current folder or subfolder being processed", 4440, 840, 1455, 285},
    {"HelpButton", kForm, Kind::Button, "?", "Help... sort of!", 0, 5400, 495, 495},
    {"ReportButton", kForm, Kind::Button, "Report", "", 600, 5400, 1095, 495},
    {"StartButton", kForm, Kind::Button, "Start", "", 7320, 5400, 1095, 495},
    {"ExportButton", kForm, Kind::Button, "Results...", "", 8520, 5400, 1095, 495},
};

QString captionOf(QWidget* widget, Kind kind)
{
    switch (kind) {
    case Kind::Frame:
        return qobject_cast<QGroupBox*>(widget)->title();
    case Kind::Label:
        return qobject_cast<QLabel*>(widget)->text();
    case Kind::TextBox:
    case Kind::ValueBox:
        return qobject_cast<QLineEdit*>(widget)->text();
    case Kind::Option:
    case Kind::Button:
        return qobject_cast<QAbstractButton*>(widget)->text();
    case Kind::Combo:
        return qobject_cast<QComboBox*>(widget)->currentText();
    case Kind::Chart:
        return {};
    }
    return {};
}

bool hasKind(QWidget* widget, Kind kind)
{
    switch (kind) {
    case Kind::Frame:
        return qobject_cast<QGroupBox*>(widget) != nullptr;
    case Kind::Label:
        return qobject_cast<QLabel*>(widget) != nullptr;
    case Kind::TextBox: {
        auto* box = qobject_cast<QLineEdit*>(widget);
        return box != nullptr && !box->isReadOnly();
    }
    case Kind::ValueBox: {
        auto* box = qobject_cast<QLineEdit*>(widget);
        return box != nullptr && box->isReadOnly();
    }
    case Kind::Option:
        return qobject_cast<QRadioButton*>(widget) != nullptr;
    case Kind::Combo: {
        auto* combo = qobject_cast<QComboBox*>(widget);
        return combo != nullptr && combo->isEditable();
    }
    case Kind::Button:
        return qobject_cast<QPushButton*>(widget) != nullptr;
    case Kind::Chart:
        return qobject_cast<QChartView*>(widget) != nullptr;
    }
    return false;
}

TEST_F(MainWindowTest, EveryDesignedControlExistsWithItsKindCaptionTooltipAndPlace)
{
    const double scale = designScale(*window);
    auto px = [scale](int twips) { return static_cast<int>(std::lround(twips / 15.0 * scale)); };
    for (const Control& c : kControls) {
        SCOPED_TRACE(c.name);
        auto* widget = window->findChild<QWidget*>(c.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_TRUE(hasKind(widget, c.kind));
        EXPECT_EQ(widget->parentWidget()->objectName(), c.container);
        EXPECT_EQ(captionOf(widget, c.kind), QString::fromUtf8(c.caption));
        EXPECT_EQ(widget->toolTip(), QString::fromUtf8(c.tooltip));
        EXPECT_EQ(widget->geometry(), QRect(px(c.left), px(c.top), px(c.width), px(c.height)));
    }
}

TEST_F(MainWindowTest, WindowHasItsDesignedCaptionAndClientSize)
{
    EXPECT_EQ(window->objectName(), "BRISKerUserForm");
    EXPECT_EQ(window->windowTitle(), "BRISK Vezoriv Rireviru");
    EXPECT_EQ(window->size(), QSize(twipsToPixels(*window, 9720), twipsToPixels(*window, 5970)));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "the designed layout does not stretch";
}

TEST_F(MainWindowTest, InitialStatesAreAsDesigned)
{
    window->show();
    EXPECT_FALSE(ui.ReportButton->isVisible()) << "Report is for the administrator only";
    EXPECT_FALSE(ui.ExportButton->isEnabled());
    EXPECT_FALSE(ui.FromDatePickerText->isEnabled());
    EXPECT_FALSE(ui.ToDatePickerText->isEnabled());
    EXPECT_TRUE(ui.IgnoreDateFilterRadio->isChecked());
    EXPECT_FALSE(ui.DateFilterRadio->isChecked());
    EXPECT_TRUE(ui.DayOfWeekOptionButton->isChecked());
    EXPECT_FALSE(ui.TimeOfDayOptionButton->isChecked());
    EXPECT_FALSE(ui.MonthOfYearOptionButton->isChecked());
    EXPECT_TRUE(ui.StartButton->isDefault());
    EXPECT_TRUE(ui.PickedFolderLabel->isReadOnly());
    EXPECT_EQ(ui.ChartTitleLabel->alignment(), Qt::AlignCenter);
    // The bar is drawn over its background.
    EXPECT_GT(ui.Frame4->children().indexOf(ui.ProgressBarLabel),
              ui.Frame4->children().indexOf(ui.ProgressBarBackLabel));
    EXPECT_TRUE(ui.ProgressBarLabel->styleSheet().contains("rgb(128, 128, 255)"));
}

TEST_F(MainWindowTest, TabOrderFollowsTheDesign)
{
    const QStringList expected{
        "HelpButton", "StartButton", "ExportButton", "PickedFolderLabel", "PickFolderButton",
        "TimeOfDayOptionButton", "DayOfWeekOptionButton", "MonthOfYearOptionButton",
        "DailyEmailsAvgLabel", "OneToOneEmailPCLabel", "DailyEmailsMaxLabel", "ReAndFwdPercentLabel",
        "EmailLgtWordsLabel", "EmailSizeKBLabel", "MedianResponseHrLabel", "MedianResponseMinLabel",
        "ProgressNumLabel", "ProgressNumMaxLabel", "CurtMsgLabel", "CurtFolderLabel",
        "FromDatePickerText", "ToDatePickerText", "ReportButton", "TopSendersCombo", "TopReceiversCombo",
        "IgnoreDateFilterRadio", "DateFilterRadio"};
    QStringList chain;
    QWidget* widget = ui.HelpButton;
    do {
        if (expected.contains(widget->objectName()) && !chain.contains(widget->objectName()))
            chain.append(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != ui.HelpButton);
    EXPECT_EQ(chain, expected);
    EXPECT_EQ(ui.BRISKChartOLE->focusPolicy(), Qt::NoFocus);
}

struct FontCase {
    const char* control;
    double points;
    bool bold;
    bool monospace;
};

TEST_F(MainWindowTest, ControlsUseTheDesignedFontsOrTheirClosestKin)
{
    const FontCase cases[] = {
        {"PickedFolderLabel", 8.25, true, false},    {"FromDatePickerText", 8.25, false, false},
        {"DailyEmailsAvgLabel", 8.25, true, false},  {"DailyEmailsMaxLabel", 8.25, true, false},
        {"ProgressNumMaxLabel", 8.25, true, false},  {"TopSendersCombo", 8.25, false, true},
        {"TopReceiversCombo", 8.25, false, true},    {"ChartTitleLabel", 9.75, false, false},
        {"CurtFolderLabel", 8.25, false, false},     {"HelpButton", 11.25, true, true},
        {"StartButton", 9, false, false},            {"ExportButton", 9, false, false},
        {"Label17", 8.25, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        const QFont font = window->findChild<QWidget*>(c.control)->font();
        EXPECT_DOUBLE_EQ(font.pointSizeF(), c.points * (c.monospace ? 1.0 : substituteScale("Tahoma")));
        EXPECT_EQ(font.bold(), c.bold);
        EXPECT_TRUE(QFontDatabase::families().contains(font.family())) << font.family().toStdString();
        EXPECT_EQ(QFontDatabase::isFixedPitch(font.family()), c.monospace) << font.family().toStdString();
    }
}

TEST(DesignFonts, MissingWindowsFontsFallBackToTheSameKind)
{
    EXPECT_FALSE(QFontDatabase::isFixedPitch(installedFamily("Tahoma")));
    EXPECT_FALSE(QFontDatabase::isFixedPitch(installedFamily("MS Sans Serif")));
    EXPECT_TRUE(QFontDatabase::isFixedPitch(installedFamily("Courier New")));
    EXPECT_TRUE(QFontDatabase::isFixedPitch(installedFamily("Lucida Console")));
    const QString installedOne = QFontDatabase::families().value(0);
    EXPECT_EQ(installedFamily(installedOne), installedOne) << "an installed family is kept";
}

} // namespace
} // namespace brisk::test

namespace brisk::test {
namespace {

TEST(DesignScale, ScalesEveryDesignedControlAndFixesTheClientSize)
{
    QWidget root;
    root.resize(200, 100);
    auto* frame = new QGroupBox("Frame", &root);
    frame->setGeometry(8, 16, 100, 60);
    auto* inner = new QLineEdit(frame);
    inner->setGeometry(8, 24, 41, 19);
    auto* combo = new QComboBox(&root);
    combo->setEditable(true);
    combo->setGeometry(110, 10, 80, 22);

    scaleDesign(root, 1.5);
    EXPECT_EQ(root.size(), QSize(300, 150));
    EXPECT_EQ(root.minimumSize(), root.maximumSize());
    EXPECT_EQ(frame->geometry(), QRect(12, 24, 150, 90));
    EXPECT_EQ(inner->geometry(), QRect(12, 36, 62, 29)) << "controls inside frames scale with them";
    EXPECT_EQ(combo->geometry(), QRect(165, 15, 120, 33));
    EXPECT_EQ(twipsToPixels(root, 1500), static_cast<int>(std::lround(100 * designScale(root))));
}

} // namespace
} // namespace brisk::test
