// The windows' design metrics: Windows fonts missing here fall back to an
// installed family of the same kind, and the designed geometry scales with
// the screen's resolution, controls inside frames with them.

#include "ui/DesignMetrics.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <cmath>

namespace brisk {
namespace {

TEST(DesignMetrics, MissingWindowsFontsFallBackToTheSameKind)
{
    EXPECT_FALSE(QFontDatabase::isFixedPitch(installedFamily("Tahoma")));
    EXPECT_FALSE(QFontDatabase::isFixedPitch(installedFamily("MS Sans Serif")));
    EXPECT_TRUE(QFontDatabase::isFixedPitch(installedFamily("Courier New")));
    EXPECT_TRUE(QFontDatabase::isFixedPitch(installedFamily("Lucida Console")));
    const QString installedOne = QFontDatabase::families().value(0);
    EXPECT_EQ(installedFamily(installedOne), installedOne) << "an installed family is kept";
}

TEST(DesignMetrics, ScalingMovesEveryControlAndFixesTheClientSize)
{
    QWidget root;
    root.resize(200, 100);
    auto* frame = new QGroupBox("Frame", &root);
    auto* inner = new QLineEdit(frame);
    auto* combo = new QComboBox(&root);
    frame->setGeometry(8, 16, 100, 60);
    inner->setGeometry(8, 24, 41, 19);
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
} // namespace brisk
