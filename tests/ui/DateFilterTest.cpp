// The date filter: the option buttons switch both date boxes on and off,
// and every change the user makes to a box that leaves no date complains
// at once and puts the focus back.

#include "tests/ui/UiFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>

namespace brisk::test {
namespace {

class DateFilterTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        prompts.focusThief = ui.HelpButton;
    }
    void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2)); }
    std::vector<std::string> invalidDateMessages() const
    {
        std::vector<std::string> found;
        for (const auto& shown : prompts.shown) {
            EXPECT_EQ(shown.title, "Brisk Vezoriv Rizovave");
            EXPECT_FALSE(shown.question) << "OK only";
            found.push_back(shown.text);
        }
        return found;
    }
};

TEST_F(DateFilterTest, OptionButtonsEnableAndDisableBothBoxesKeepingTheirTexts)
{
    click(ui.DateFilterRadio);
    EXPECT_TRUE(ui.DateFilterRadio->isChecked());
    EXPECT_TRUE(ui.FromDatePickerText->isEnabled());
    EXPECT_TRUE(ui.ToDatePickerText->isEnabled());
    click(ui.DateFilterRadio);
    EXPECT_TRUE(ui.FromDatePickerText->isEnabled()) << "clicking the selected button re-applies its state";

    click(ui.IgnoreDateFilterRadio);
    EXPECT_FALSE(ui.FromDatePickerText->isEnabled());
    EXPECT_FALSE(ui.ToDatePickerText->isEnabled());
    EXPECT_EQ(ui.FromDatePickerText->text(), "01/01/11");
    EXPECT_EQ(ui.ToDatePickerText->text(), "31/12/11");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(DateFilterTest, EveryInvalidChangeComplainsAndFocusReturnsToTheBox)
{
    click(ui.DateFilterRadio);
    ui.ToDatePickerText->setFocus();
    ui.ToDatePickerText->setCursorPosition(ui.ToDatePickerText->text().size());
    QTest::keyClick(ui.ToDatePickerText, Qt::Key_Backspace);  // "31/12/1": a one-digit year
    QTest::keyClick(ui.ToDatePickerText, Qt::Key_Backspace);  // "31/12/"
    QTest::keyClick(ui.ToDatePickerText, Qt::Key_Backspace);  // "31/12"
    EXPECT_EQ(ui.ToDatePickerText->text(), "31/12") << "the text stays as typed";
    EXPECT_EQ(QApplication::focusWidget(), ui.ToDatePickerText);

    ui.FromDatePickerText->setFocus();
    ui.FromDatePickerText->selectAll();
    QTest::keyClick(ui.FromDatePickerText, Qt::Key_Delete);
    EXPECT_EQ(ui.FromDatePickerText->text(), "");
    EXPECT_EQ(QApplication::focusWidget(), ui.FromDatePickerText);

    const auto messages = invalidDateMessages();
    ASSERT_FALSE(messages.empty());
    for (const auto& text : messages)
        EXPECT_EQ(text, "Invalid date!");
    EXPECT_GE(messages.size(), 2u) << "each further invalid change complains again";
}

TEST_F(DateFilterTest, ValidChangesAreSilent)
{
    click(ui.DateFilterRadio);
    for (QLineEdit* box : {ui.FromDatePickerText, ui.ToDatePickerText}) {
        for (const char* text : {"15/06/09", "01/01/2020", "29/02/12"}) {
            box->setFocus();
            box->selectAll();
            QApplication::clipboard()->setText(text);
            QTest::keySequence(box, QKeySequence::Paste);
            EXPECT_EQ(box->text(), text);
        }
    }
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(DateFilterTest, APastedNonDateComplainsOnce)
{
    click(ui.DateFilterRadio);
    ui.ToDatePickerText->setFocus();
    ui.ToDatePickerText->selectAll();
    QApplication::clipboard()->setText("31/02/11");
    QTest::keySequence(ui.ToDatePickerText, QKeySequence::Paste);
    EXPECT_EQ(ui.ToDatePickerText->text(), "31/02/11");
    EXPECT_EQ(invalidDateMessages(), std::vector<std::string>{"Invalid date!"});
}

TEST_F(DateFilterTest, TheProgramsOwnTextsNeverComplain)
{
    ui.FromDatePickerText->setText("not a date");
    ui.ToDatePickerText->setText("");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(DateFilterTest, HandlersCheckTheWholeCurrentText)
{
    struct Case {
        const char* text;
        bool complains;
    };
    const Case cases[] = {
        {"01/01/11", false}, {"31/12/11", false}, {"", true}, {"31/12/", true}, {"abc", true},
    };
    for (const auto& c : cases) {
        prompts.shown.clear();
        ui.ToDatePickerText->setText(c.text);
        window->ToDatePickerText_Change();
        EXPECT_EQ(prompts.shown.size(), c.complains ? 1u : 0u) << '"' << c.text << '"';
        ui.FromDatePickerText->setText(c.text);
        window->FromDatePickerText_Change();
        EXPECT_EQ(prompts.shown.size(), c.complains ? 2u : 0u) << '"' << c.text << '"';
    }
}

TEST_F(DateFilterTest, EnterInATextBoxPressesStart)
{
    QSignalSpy started(ui.StartButton, &QPushButton::clicked);
    click(ui.DateFilterRadio);
    ui.FromDatePickerText->setFocus();
    QTest::keyClick(ui.FromDatePickerText, Qt::Key_Return);
    EXPECT_EQ(started.count(), 1);
}

} // namespace
} // namespace brisk::test
