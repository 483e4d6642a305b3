// Closing the real window during a run asks once; No lets the walk go on,
// Yes ends the program after the current item with the end entry written.
// Closing while paused or idle asks nothing.

#include "tests/ui/UiFixture.h"

namespace brisk::test {
namespace {

class RunCloseTest : public WindowRunTest {
protected:
    void expectAskedOnce()
    {
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].text, "Analysis is running. Sure to exit?");
        EXPECT_EQ(prompts.shown[0].title, "Brisk Vezoriv Rizovave");
        EXPECT_TRUE(prompts.shown[0].question);
    }
    long readCount() const
    {
        long n = 0;
        for (int reads : sent.reads)
            n += reads;
        return n;
    }
};

TEST_F(RunCloseTest, NoLetsTheWalkGoOn)
{
    sent.addItems(10);
    launch();
    prompts.answers = {false};
    sent.onRead = [&](long index) {
        if (index == 2)
            window->close();
    };
    clickStart();
    expectAskedOnce();
    EXPECT_EQ(caption(), "Start");
    EXPECT_EQ(window->app().analysis.lEmailsProcessed, 10);
    EXPECT_FALSE(window->terminated());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(logActions(), (std::vector<std::string>{"launch", "Start"}));
}

TEST_F(RunCloseTest, YesEndsAfterTheCurrentItemWithTheEndEntry)
{
    sent.addItems(10);
    launch();
    prompts.answers = {true};
    sent.onRead = [&](long index) {
        if (index == 5)
            window->close();
    };
    clickStart();
    expectAskedOnce();
    EXPECT_TRUE(window->terminated());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(readCount(), 5);
    EXPECT_EQ(window->app().analysis.lEmailsProcessed, 5);
    EXPECT_EQ(logActions(), (std::vector<std::string>{"launch", "Start", "end"}));
    // Shutdown is not a close request of the user: nothing more is asked.
    window->close();
    EXPECT_EQ(prompts.shown.size(), 1u);
}

TEST_F(RunCloseTest, ClosingWhilePausedAsksNothing)
{
    sent.addItems(10);
    launch();
    startAndPauseAt(3);
    ASSERT_EQ(caption(), "Resume");
    window->close();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(window->terminated());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(readCount(), 3);
    EXPECT_EQ(logActions(), (std::vector<std::string>{"launch", "Start", "Pause", "end"}));
}

TEST_F(RunCloseTest, ClosingWhenIdleAsksNothing)
{
    sent.addItems(2);
    launch();
    window->close();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(window->terminated());
    EXPECT_EQ(logActions(), (std::vector<std::string>{"launch", "end"}));
}

} // namespace
} // namespace brisk::test
