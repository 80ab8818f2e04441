#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTreeWidgetItem>
#include <vector>

#include "function/DialogItem.h"
#include "platform/WindowMessage.h"
#include "uic/UICUploadFile/controls/UICComboEdit.h"
#include "uic/UICUploadFile/controls/UICComboTreeCtrl.h"
#include "uic/UICUploadFile/controls/UICTreeDropList.h"
#include "uic/UICUploadFile/controls/UICUpLoadListCtrl.h"
#include "uic/UICUploadFile/frame/Resource.h"

namespace {

// A parent that keeps a copy of every cell notification it is sent.
class RecordingParent final : public QWidget {
public:
    std::vector<tagListNotify> notes;

protected:
    bool event(QEvent* event) override {
        if (auto* message = WindowMessageEvent::From(event)) {
            if (message->Message() == WM_LIST_CELL_NOTIFY) {
                notes.push_back(*reinterpret_cast<const tagListNotify*>(message->LParam()));
                return true;
            }
        }
        return QWidget::event(event);
    }
};

QPixmap Face(QColor colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return pixmap;
}

class UploadListTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent.resize(500, 300);
        list = new CUICUpLoadListCtrl(&parent);
        SetDlgCtrlID(list, IDC_LIST_UPLOAD);
        list->setGeometry(0, 0, 400, 200);
        for (auto [width, align] : {std::pair{20, Qt::AlignLeft},
                                    {280, Qt::AlignLeft},
                                    {40, Qt::AlignRight},
                                    {16, Qt::AlignRight},
                                    {40, Qt::AlignRight}}) {
            list->InsertColumn(list->GetColumnCount(), width, align);
        }
        list->SetRowHeight(25);
        list->SetColumnImageList(4, &faces);
        for (int row = 0; row < 3; ++row) {
            list->InsertItem(row, "");
            list->SetItemText(row, 1, "file" + std::to_string(row) + ".txt");
            list->SetItemButton(row, 4, "", LIST_BUTTON_ID);
            list->SetItemButtonImages(row, 4, 0, 1, 2, -1);
        }
        parent.show();
    }

    QPoint ButtonCentre(int row) const { return list->ButtonRect(row, 4).center(); }

    RecordingParent parent;
    CUICUpLoadListCtrl* list = nullptr;
    ListImageList faces{Face(Qt::gray), Face(Qt::yellow), Face(Qt::darkGray)};
};

TEST_F(UploadListTest, DeleteButtonSelectsItsRowAndReportsPressAndRelease) {
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, ButtonCentre(1));
    EXPECT_EQ(list->GetSelectedRow(), 1);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, ButtonCentre(1));

    ASSERT_EQ(parent.notes.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(parent.notes[i].nRow, 1);
        EXPECT_EQ(parent.notes[i].nColumn, 4);
        EXPECT_EQ(parent.notes[i].nID, LIST_BUTTON_ID);
        EXPECT_EQ(parent.notes[i].nCtrlID, IDC_LIST_UPLOAD);
    }
    EXPECT_EQ(parent.notes[0].nEvent, LIST_LBUTTONDOWN);
    EXPECT_EQ(parent.notes[1].nEvent, LIST_LBUTTONUP);
}

TEST_F(UploadListTest, PlainCellsAndTheEmptyPartSelectWithoutNotifying) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->CellRect(2, 1).center());
    EXPECT_EQ(list->GetSelectedRow(), 2);
    // Beside the button face in the same cell.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->CellRect(0, 4).topLeft() + QPoint(1, 1));
    EXPECT_EQ(list->GetSelectedRow(), 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(100, 150));
    EXPECT_EQ(list->GetSelectedRow(), 0);
    EXPECT_TRUE(parent.notes.empty());
}

TEST_F(UploadListTest, MovingOntoAButtonFaceReportsOnceAndShowsTheHotFace) {
    QTest::mouseMove(list->viewport(), ButtonCentre(0));
    QTest::mouseMove(list->viewport(), ButtonCentre(0) + QPoint(1, 0));
    ASSERT_EQ(parent.notes.size(), 1u);
    EXPECT_EQ(parent.notes[0].nEvent, LIST_MOUSEMOVE);

    const QImage picture = list->viewport()->grab().toImage();
    EXPECT_EQ(QColor(picture.pixel(ButtonCentre(0))), QColor(Qt::yellow));
    EXPECT_EQ(QColor(picture.pixel(ButtonCentre(1))), QColor(Qt::gray));
}

TEST_F(UploadListTest, RowsKeepTheirCellsAndDataAcrossDeletes) {
    list->SetItemData(0, 100);
    list->SetItemData(1, 101);
    list->SetItemData(2, 102);
    list->SetSelectedRow(2);
    ASSERT_TRUE(list->DeleteItem(1));
    EXPECT_EQ(list->GetItemCount(), 2);
    EXPECT_EQ(list->GetItemData(1), 102);
    EXPECT_EQ(list->GetItemText(1, 1), "file2.txt");
    EXPECT_EQ(list->GetSelectedRow(), 1);
    EXPECT_FALSE(list->DeleteItem(5));
    EXPECT_FALSE(list->SetItemImage(0, 4, 1));  // a button cell shows faces, not an image

    list->DeleteAllItems();
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_EQ(list->GetSelectedRow(), -1);
}

TEST_F(UploadListTest, EmptyListShowsGridLinesAcrossTheWholeArea) {
    list->DeleteAllItems();
    const QImage picture = list->viewport()->grab().toImage();
    const QColor grid(0xCC, 0xCC, 0xCC);
    for (int line = 1; line * 25 <= picture.height(); ++line) {
        EXPECT_EQ(QColor(picture.pixel(200, line * 25 - 1)), grid) << line;
    }
    EXPECT_EQ(QColor(picture.pixel(200, 12)), QColor(Qt::white));
}

class ComboTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        dialog.resize(450, 300);
        combo = new CUICComboTreeCtrl(&dialog);
        combo->setGeometry(10, 10, 300, 24);
        choose = new QPushButton(&dialog);
        SetDlgCtrlID(choose, IDC_BUTTON_CHOOSE);
        folder = new QPushButton(&dialog);
        SetDlgCtrlID(folder, IDC_BUTTON_CATALOG);
        QObject::connect(combo, &CUICComboTreeCtrl::Notify, [this](int code) { codes.push_back(code); });
        dialog.show();
    }

    QWidget dialog;
    CUICComboTreeCtrl* combo = nullptr;
    QPushButton* choose = nullptr;
    QPushButton* folder = nullptr;
    std::vector<int> codes;
};

TEST_F(ComboTreeTest, AddPathCreatesOnlyTheMissingNodesAfterTheirSiblings) {
    QTreeWidgetItem* mine = combo->AddPath("我的网盘\\我的文件夹");
    QTreeWidgetItem* photos = combo->AddPath("我的网盘\\照片");
    QTreeWidgetItem* year = combo->AddPath("我的网盘\\照片\\2020");
    ASSERT_NE(year, nullptr);
    EXPECT_EQ(year->parent(), photos);
    EXPECT_EQ(combo->DropList()->topLevelItemCount(), 1);
    QTreeWidgetItem* top = combo->DropList()->topLevelItem(0);
    ASSERT_EQ(top->childCount(), 2);
    EXPECT_EQ(top->child(0), mine);
    EXPECT_EQ(top->child(1), photos);
    EXPECT_EQ(combo->AddPath("我的网盘\\照片"), photos);
    EXPECT_EQ(combo->GetFullPath(year), "我的网盘\\照片\\2020");
}

TEST_F(ComboTreeTest, SelectPathShowsTheFullPathAndKeepsTheData) {
    const int record = 7;
    combo->SetItemData(combo->AddPath("我的网盘\\照片\\2020"), &record);
    EXPECT_TRUE(combo->SelectPath("我的网盘\\照片\\2020", true));
    EXPECT_EQ(combo->GetWindowText(), "我的网盘\\照片\\2020");
    EXPECT_EQ(combo->GetItemData(combo->GetSelectedItem()), &record);
    EXPECT_FALSE(combo->SelectPath("我的网盘\\none", true));
    EXPECT_EQ(combo->GetSelectedPath(), "我的网盘\\照片\\2020");
}

TEST_F(ComboTreeTest, OpenDropDownDisablesBrowseButtonsUntilEscape) {
    combo->AddPath("我的网盘\\a");
    combo->ShowDropDown();
    EXPECT_TRUE(combo->IsDropDownVisible());
    EXPECT_FALSE(choose->isEnabled());
    EXPECT_FALSE(folder->isEnabled());

    QTest::keyClick(combo->DropList(), Qt::Key_Escape);
    EXPECT_FALSE(combo->IsDropDownVisible());
    EXPECT_TRUE(choose->isEnabled());
    EXPECT_TRUE(folder->isEnabled());
    EXPECT_EQ(codes, (std::vector<int>{CBN_DROPDOWN, CBN_SELENDCANCEL}));
}

TEST_F(ComboTreeTest, EnterCommitsTheSelectedNode) {
    QTreeWidgetItem* node = combo->AddPath("我的网盘\\b");
    combo->ShowDropDown();
    combo->DropList()->setCurrentItem(node);
    QTest::keyClick(combo->DropList(), Qt::Key_Return);
    EXPECT_EQ(codes, (std::vector<int>{CBN_DROPDOWN, CBN_SELENDOK, CBN_SELCHANGE}));
    EXPECT_EQ(combo->GetWindowText(), "我的网盘\\b");
    EXPECT_FALSE(combo->IsDropDownVisible());
    EXPECT_TRUE(choose->isEnabled());
}

TEST_F(ComboTreeTest, DoubleClickReportsItselfThenCommits) {
    QTreeWidgetItem* node = combo->AddPath("我的网盘");
    combo->ShowDropDown();
    combo->DropList()->setCurrentItem(node);
    const QPoint centre = combo->DropList()->visualItemRect(node).center();
    QTest::mouseDClick(combo->DropList()->viewport(), Qt::LeftButton, {}, centre);
    EXPECT_EQ(codes, (std::vector<int>{CBN_DROPDOWN, CBN_DBLCLK, CBN_SELENDOK, CBN_SELCHANGE}));
    EXPECT_EQ(combo->GetWindowText(), "我的网盘");
}

TEST_F(ComboTreeTest, DropButtonTogglesTheDropDown) {
    auto* button = static_cast<QWidget*>(GetDlgItem(combo, IDC_COMBO_DROPBUTTON));
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(combo->IsDropDownVisible());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(combo->IsDropDownVisible());
}

}  // namespace
