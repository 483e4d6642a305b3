// Every caption of the three windows is fully visible with the fonts the
// program finds installed: no text is wider or taller than the part of its
// box it is drawn in, nothing drawn above covers it, no frame clips it. ctest
// runs this test at 96 dots per inch and twice at 144 (scaled by Qt, and
// scaled by the windows' own design metrics), see tests/CMakeLists.txt.

#include "tests/ui/UiFixture.h"
#include "ui/HelpDialog.h"
#include "ui/ResultsDialog.h"
#include "ui_HelpDialog.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>

namespace brisk::test {
namespace {

// Where a control draws its text (its own coordinates), and the text.
struct TextPlace {
    QRect box;
    Qt::Alignment alignment;
    QString text;
};

std::optional<TextPlace> textPlace(QWidget& widget)
{
    if (auto* label = qobject_cast<QLabel*>(&widget); label && !label->text().isEmpty() && !label->wordWrap())
        return TextPlace{label->contentsRect(), label->alignment(), label->text()};
    if (auto* button = qobject_cast<QAbstractButton*>(&widget); button && !button->text().isEmpty()) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const auto element = qobject_cast<QRadioButton*>(button) ? QStyle::SE_RadioButtonContents
            : qobject_cast<QCheckBox*>(button)                   ? QStyle::SE_CheckBoxContents
                                                                 : QStyle::SE_PushButtonContents;
        const bool push = element == QStyle::SE_PushButtonContents;
        return TextPlace{button->style()->subElementRect(element, &option, button),
                         push ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter, button->text()};
    }
    auto* edit = qobject_cast<QLineEdit*>(&widget);
    if (!edit || edit->text().isEmpty())
        return std::nullopt;
    // QLineEdit keeps 2 pixels on either side of its text.
    const QRect box = edit->contentsRect().marginsRemoved(edit->textMargins()).adjusted(2, 0, -2, 0);
    return TextPlace{box, edit->alignment(), edit->text()};
}

// True when `other` is painted after `widget`: of the two chains from the
// window down, the first children that differ decide by their order.
bool drawnAbove(QWidget* other, QWidget* widget)
{
    const auto chain = [](QWidget* w) {
        QList<QWidget*> all;
        for (; w != nullptr; w = w->parentWidget())
            all.prepend(w);
        return all;
    };
    const QList<QWidget*> a = chain(widget), b = chain(other);
    int i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    if (i == 0 || i == a.size() || i == b.size())
        return false; // other windows, or one holds the other
    return a[i - 1]->children().indexOf(b[i]) > a[i - 1]->children().indexOf(a[i]);
}

// The problems of one control's text, "" when it is fully visible.
std::string textProblems(QWidget& widget, QWidget& window)
{
    const auto place = textPlace(widget);
    if (!place)
        return {};
    const QFontMetrics metrics(widget.font());
    const QSize need(metrics.horizontalAdvance(place->text), metrics.height());
    const QRect text = QStyle::alignedRect(Qt::LeftToRight, place->alignment, need, place->box);
    std::ostringstream out;
    if (need.width() > place->box.width() || need.height() > place->box.height())
        out << " too small;";
    for (QWidget* parent = &widget; parent != &window; parent = parent->parentWidget())
        if (!parent->parentWidget()->rect().contains(QRect(parent->mapTo(parent->parentWidget(), text.topLeft()),
                                                           text.size())))
            out << " clipped by " << parent->parentWidget()->objectName().toStdString() << ";";
    const QRect onWindow(widget.mapTo(&window, text.topLeft()), text.size());
    for (QWidget* other : window.findChildren<QWidget*>()) {
        if (other->isVisible() && !other->objectName().isEmpty() && drawnAbove(other, &widget)
            && QRect(other->mapTo(&window, QPoint(0, 0)), other->size()).intersects(onWindow))
            out << " covered by " << other->objectName().toStdString() << ";";
    }
    return out.str();
}

void expectEveryTextVisible(QWidget& window, const char* state)
{
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisible() || widget->objectName().startsWith("qt_"))
            continue;
        EXPECT_EQ(textProblems(*widget, window), "") << state << ": " << widget->objectName().toStdString();
    }
}

TEST_F(MainWindowTest, EveryCaptionOfTheThreeWindowsIsFullyVisible)
{
    window->show();
    ui.ReportButton->show();
    expectEveryTextVisible(*window, "at start");
    // The longest texts a run shows.
    ui.NumValidEmailsLabel->setText("(1234567 email messages found)");
    for (QLineEdit* count : {ui.ProgressNumLabel, ui.ProgressNumMaxLabel})
        count->setText("1234567");
    ui.StartButton->setText("Resume");
    for (QRadioButton* mode : {ui.TimeOfDayOptionButton, ui.MonthOfYearOptionButton, ui.DayOfWeekOptionButton}) {
        mode->click();
        expectEveryTextVisible(*window, mode->objectName().toUtf8().constData());
    }

    ResultsDialog results(window.get());
    results.show();
    expectEveryTextVisible(results, "results dialog");
    settings.ProductHomePageUrl = BRISK_PRODUCT_HOME_PAGE_URL; // the address the link shows
    HelpDialog help(desktop, settings, window.get());
    help.show();
    QApplication::processEvents();
    expectEveryTextVisible(help, "help dialog");
    // The help text's last line and the whole web address are in view.
    EXPECT_EQ(help.form().MainHelpText->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(textProblems(*help.form().OnlineHelpText, help), "");
}

} // namespace
} // namespace brisk::test
