#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>
#include <fstream>

#include "function/ORVATip.h"

namespace {

TEST(PlaceTipTest, TextsShorterThanElevenBytesMakeANarrowerTip) {
    const QSize screen(1000, 800);
    const QRect anchor(300, 400, 80, 24);
    EXPECT_EQ(COrvaTip::PlaceTip(10, anchor, screen), QRect(300, 320, 142, 70));
    EXPECT_EQ(COrvaTip::PlaceTip(11, anchor, screen), QRect(300, 320, 192, 70));
}

TEST(PlaceTipTest, GoesBelowTheAnchorWhenThereIsNoRoomAbove) {
    const QRect anchor(300, 50, 80, 24);
    // Ten pixels under the anchor's bottom edge.
    EXPECT_EQ(COrvaTip::PlaceTip(20, anchor, QSize(1000, 800)), QRect(300, 84, 192, 70));
}

TEST(PlaceTipTest, StaysTenPixelsInsideTheScreenEdges) {
    const QSize screen(1000, 800);
    EXPECT_EQ(COrvaTip::PlaceTip(20, QRect(950, 400, 40, 20), screen).right() + 1, 990);
    EXPECT_EQ(COrvaTip::PlaceTip(20, QRect(2, 400, 40, 20), screen).left(), 10);
    EXPECT_EQ(COrvaTip::PlaceTip(20, QRect(100, 900, 40, 20), screen).bottom() + 1, 790);
}

// Each test runs in its own current directory, where the tip looks for "./config.ini".
class OrvaTipTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
    }
    void TearDown() override { QDir::setCurrent(previous); }
    void WriteSettings(const char* text) { std::ofstream(dir.filePath("config.ini").toStdString()) << text; }

    QTemporaryDir dir;
    QString previous;
    COrvaTip tip;
};

TEST_F(OrvaTipTest, WithoutSettingsTheTipIsBlackToWhiteAndHidesAfterThreeSeconds) {
    const COrvaTip::tagTipInfo info = COrvaTip::GetToolTipInfo();
    EXPECT_EQ(info.nMainColor, 0);
    EXPECT_EQ(info.nAssistColor, 0xFFFFFF);
    EXPECT_EQ(info.nBorderColor, 0);
    EXPECT_EQ(info.nShowTime, 3000);
    ASSERT_EQ(tip.PopToolTip("暂停失败", nullptr, 1), 0);
    EXPECT_EQ(tip.HideTimerPeriod(), 3000u);
    ASSERT_NE(tip.Window(), nullptr);
    EXPECT_TRUE(tip.Window()->isVisible());
    tip.OnTimer(COrvaTip::kHideTimer);
    EXPECT_FALSE(tip.Window()->isVisible());
    EXPECT_EQ(tip.HideTimerPeriod(), 0u);
}

TEST_F(OrvaTipTest, SettingsComeFromTheFileInTheCurrentDirectory) {
    WriteSettings("[TIPINFO]\nMainColor=255\nAssistColor=0x00FF00\nShowTime=500\n");
    const COrvaTip::tagTipInfo info = COrvaTip::GetToolTipInfo();
    EXPECT_EQ(info.nMainColor, 255);
    EXPECT_EQ(info.nAssistColor, 0xFF00);
    EXPECT_EQ(info.nBorderColor, 0);
    ASSERT_EQ(tip.PopToolTip("text", nullptr, 0), 0);
    EXPECT_EQ(tip.HideTimerPeriod(), 500u);
}

TEST_F(OrvaTipTest, WithoutAnAnchorTheTipSitsAtTheBottomRightOfTheWorkArea) {
    ASSERT_EQ(tip.PopToolTip("0123456789", nullptr, 1), 0);
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect rect = tip.TipRect();
    EXPECT_EQ(rect.size(), QSize(142, 70));
    EXPECT_EQ(rect.right() + 1, screen->geometry().width() - 10);
    EXPECT_EQ(rect.bottom() + 1, screen->availableGeometry().height() - 10);
    EXPECT_EQ(tip.Window()->geometry(), rect);
}

TEST_F(OrvaTipTest, AnAnchoredTipStandsAboveItsAnchor) {
    QWidget owner;
    owner.setGeometry(200, 300, 300, 200);
    owner.show();
    ASSERT_EQ(tip.PopToolTip("01234567890", &owner, 1), 0);
    const QPoint anchorTop = owner.mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(tip.TipRect(), QRect(anchorTop.x(), anchorTop.y() - 80, 192, 70));
}

TEST_F(OrvaTipTest, ANewTipReplacesTheShownOneAndAClickHidesIt) {
    ASSERT_EQ(tip.PopToolTip("first tip text", nullptr, 1), 0);
    const QWidget* first = tip.Window();
    WriteSettings("[TIPINFO]\nShowTime=1200\n");
    ASSERT_EQ(tip.PopToolTip("second", nullptr, 2), 0);
    EXPECT_EQ(tip.HideTimerPeriod(), 1200u);
    EXPECT_EQ(tip.TipRect().width(), 142);
    ASSERT_TRUE(tip.Window()->isVisible());
    (void)first;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(tip.Window(), &press);
    EXPECT_FALSE(tip.Window()->isVisible());
    tip.ClearState();
    EXPECT_EQ(tip.Window(), nullptr);
    EXPECT_EQ(tip.TipRect(), QRect());
}

}  // namespace
