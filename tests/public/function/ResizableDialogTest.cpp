#include "function/ResizableDialog.h"

#include <gtest/gtest.h>

#include "TemporaryProfileTest.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include "platform/AppProfile.h"

namespace {

// Sizes change on a hidden dialog without resize events, so each test drives OnSize itself.
class TestDialog final : public CResizableDialog {
public:
    explicit TestDialog(QSize ownMinimum = {}) : CResizableDialog(10001, nullptr), m_ownMinimum(ownMinimum) {
        resize(300, 200);
        list = new QPushButton(this);
        list->setGeometry(10, 20, 280, 150);  // 10 left, 20 top, 10 right, 30 bottom
        button = new QPushButton(this);
        button->setGeometry(20, 180, 60, 15);
        label = new QLabel(QStringLiteral("size"), this);
        label->setGeometry(100, 100, 50, 10);
    }
    using CResizableDialog::AnchorControl;
    using CResizableDialog::OnSize;
    using CResizableDialog::UpdateMinMaxInfo;

    void SizeTo(int w, int h, int type = SIZE_RESTORED) {
        resize(w, h);
        OnSize(type, w, h);
    }

    QPushButton* list;
    QPushButton* button;
    QLabel* label;

protected:
    void OnGetMinMaxInfo(MINMAXINFO* info) override {
        if (m_ownMinimum.isValid()) {
            info->ptMinTrackSize = m_ownMinimum;
        }
        CResizableDialog::OnGetMinMaxInfo(info);
    }

private:
    QSize m_ownMinimum;
};

TEST(ResizableDialogLayout, StretchedControlKeepsItsDistancesToAllFourEdges) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.AnchorControl(dialog.list, ANCHOR_TOPLEFT, ANCHOR_BOTTOMRIGHT);

    dialog.SizeTo(500, 400);
    EXPECT_EQ(dialog.list->geometry(), QRect(10, 20, 480, 350));
    dialog.SizeTo(350, 260);
    EXPECT_EQ(dialog.list->geometry(), QRect(10, 20, 330, 210));
}

TEST(ResizableDialogLayout, BottomLeftAnchorMovesWithTheBottomEdgeAndKeepsTheSize) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.AnchorControl(dialog.button, ANCHOR_BOTTOMLEFT);

    dialog.SizeTo(500, 260);
    EXPECT_EQ(dialog.button->geometry(), QRect(20, 240, 60, 15));
}

TEST(ResizableDialogLayout, CentreAnchorUsesIntegerPercentOfTheClientArea) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.AnchorControl(dialog.label, ANCHOR_MIDDLE);  // margin (-50, 0) from (150, 100)

    dialog.SizeTo(301, 203);
    EXPECT_EQ(dialog.label->geometry(), QRect(100, 101, 50, 10));
    dialog.SizeTo(455, 300);
    EXPECT_EQ(dialog.label->geometry(), QRect(177, 150, 50, 10));
}

TEST(ResizableDialogLayout, NothingMovesWhileMinimisedOrBeforeInitialisation) {
    TestDialog dialog;
    dialog.AnchorControl(dialog.list, ANCHOR_TOPLEFT, ANCHOR_BOTTOMRIGHT);
    dialog.SizeTo(500, 400);
    EXPECT_EQ(dialog.list->geometry(), QRect(10, 20, 280, 150));

    ASSERT_TRUE(dialog.Create());
    dialog.SizeTo(600, 500, SIZE_MINIMIZED);
    dialog.SizeTo(600, 500, SIZE_MAXHIDE);
    EXPECT_EQ(dialog.list->geometry(), QRect(10, 20, 280, 150));
    dialog.SizeTo(600, 500, SIZE_RESTORED);
    EXPECT_EQ(dialog.list->geometry(), QRect(10, 20, 580, 450));
}

TEST(ResizableDialogLayout, AnchorsRecordedAfterAResizeMeasureFromThePresentSize) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.resize(400, 300);
    dialog.AnchorControl(dialog.list, ANCHOR_TOPLEFT, ANCHOR_BOTTOMRIGHT);  // margins (-110, -130)
    dialog.SizeTo(500, 400);
    EXPECT_EQ(dialog.list->geometry(), QRect(10, 20, 380, 250));
}

TEST(ResizableDialogMinimum, OwnMinimumHoldsUntilInitialisedThenTheInitialisedSize) {
    TestDialog dialog(QSize(250, 150));
    dialog.UpdateMinMaxInfo();
    dialog.resize(100, 50);
    EXPECT_EQ(dialog.size(), QSize(250, 150));

    dialog.resize(300, 200);
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.MinTrackSize(), QSize(300, 200));
    dialog.resize(260, 160);
    EXPECT_EQ(dialog.size(), QSize(300, 200));
}

using ResizableDialogPlacement = TemporaryProfileTest;

TEST_F(ResizableDialogPlacement, SixNumbersPlaceTheWindowBeforeItIsShownFiveAreIgnored) {
    ASSERT_TRUE(WriteProfileString("Nimbra", "UploadPos", "40,50,340,250,1"));
    {
        TestDialog dialog;
        dialog.move(7, 9);
        dialog.EnablePlacementMemory("Nimbra", "UploadPos");
        EXPECT_EQ(dialog.geometry(), QRect(7, 9, 300, 200));
    }
    ASSERT_TRUE(WriteProfileString("Nimbra", "UploadPos", "40,50,440,350,1,0"));
    TestDialog dialog;
    dialog.EnablePlacementMemory("Nimbra", "UploadPos");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.geometry(), QRect(40, 50, 400, 300));
}

TEST_F(ResizableDialogPlacement, EmptyRectangleInTheProfileIsIgnored) {
    ASSERT_TRUE(WriteProfileString("Nimbra", "UploadSuspend", "40,50,40,350,1,0"));
    TestDialog dialog;
    dialog.move(7, 9);
    dialog.EnablePlacementMemory("Nimbra", "UploadSuspend");
    EXPECT_EQ(dialog.geometry(), QRect(7, 9, 300, 200));
}

TEST_F(ResizableDialogPlacement, DestructionSavesThePlacementInTheSixNumberFormat) {
    {
        TestDialog dialog;
        dialog.EnablePlacementMemory("Nimbra", "SaveTest");
        dialog.setGeometry(15, 25, 320, 240);
    }
    EXPECT_EQ(GetProfileString("Nimbra", "SaveTest"), "15,25,335,265,1,0");
    {
        TestDialog withoutMemory;
        withoutMemory.setGeometry(1, 2, 330, 240);
    }
    EXPECT_EQ(GetProfileString("Nimbra", "SaveTest"), "15,25,335,265,1,0");

    TestDialog restored;
    restored.EnablePlacementMemory("Nimbra", "SaveTest");
    EXPECT_EQ(restored.geometry(), QRect(15, 25, 320, 240));
}

}  // namespace
