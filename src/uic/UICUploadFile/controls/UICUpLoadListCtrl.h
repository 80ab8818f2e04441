#pragma once
// The upload dialog's file list: a report list without header whose cells draw themselves as text with
// an image or as small buttons with normal/hot/pressed faces. A press or release on a button face, and
// the mouse moving onto it, are sent to the parent as message 0x608 with a tagListNotify.

#include <QAbstractScrollArea>
#include <QColor>
#include <QPixmap>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

inline constexpr unsigned WM_LIST_CELL_NOTIFY = 0x608;
inline constexpr int LIST_BUTTON_ID = 0x102B;

// Events of a 0x608 notification.
enum ListCellEvent { LIST_LBUTTONDOWN = 0, LIST_LBUTTONUP = 1, LIST_MOUSEMOVE = 6 };

struct tagListNotify {
    int32_t nRow;
    int32_t nColumn;
    int32_t nID;      // the cell's button or link identifier
    int32_t nCtrlID;  // the list's control id
    int32_t nEvent;
    int32_t bCancel;  // set by a receiver that refuses the event
};

// The images of one column; a cell names one by its index.
using ListImageList = std::vector<QPixmap>;

class CUICUpLoadListCtrl final : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum CellType { CELL_PLAIN = 0, CELL_BUTTON = 1 };

    struct tagCellInfo {
        int32_t nID = 0;  // a button's identifier
        int32_t nType = CELL_PLAIN;
        std::string strText;  // GB18030
        int32_t nImage = -1;
        LPARAM lParam = 0;  // the caller's row data, column 0 only
        // A button's faces in the column's image list: normal, hot, pressed, disabled.
        int32_t nValues[4] = {-1, -1, -1, -1};
    };

    explicit CUICUpLoadListCtrl(QWidget* parent = nullptr);

    int InsertColumn(int column, int width, Qt::Alignment alignment);
    int GetColumnCount() const { return static_cast<int>(m_vecColumns.size()); }
    void SetColumnImageList(int column, const ListImageList* images);
    void SetRowHeight(int height);
    int RowHeight() const { return m_nRowHeight; }

    // Inserts a row (at most at the end) whose column 0 holds text; returns its index.
    int InsertItem(int row, const std::string& text);
    bool DeleteItem(int row);
    void DeleteAllItems();
    int GetItemCount() const { return static_cast<int>(m_vecRows.size()); }

    bool SetItemData(int row, LPARAM data);
    LPARAM GetItemData(int row) const;
    bool SetItemText(int row, int column, const std::string& text);
    std::string GetItemText(int row, int column) const;
    bool SetItemImage(int row, int column, int image);
    // Makes the cell a button with the given identifier; its faces come from SetItemButtonImages.
    bool SetItemButton(int row, int column, const std::string& text, int id);
    bool SetItemButtonImages(int row, int column, int normal, int hot, int pressed, int disabled);
    const tagCellInfo* Cell(int row, int column) const;

    int GetSelectedRow() const { return m_nSelected; }
    void SetSelectedRow(int row);

    // Geometry in viewport coordinates, for the parent's and the tests' hit tests.
    QRect CellRect(int row, int column) const;
    QRect ButtonRect(int row, int column) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Column {
        int width;
        Qt::Alignment alignment;
        const ListImageList* images = nullptr;
    };
    struct Hit {
        int row = -1;
        int column = -1;
        bool active = false;  // on a button face
    };

    tagCellInfo* MutableCell(int row, int column);
    Hit HitTest(const QPoint& point) const;
    const QPixmap* Image(int column, int index) const;
    void DrawCell(QPainter& painter, int row, int column) const;
    void Notify(const Hit& hit, int event);
    void SetHot(const Hit& hit);
    void UpdateScrollRange();

    static constexpr int kTextMargin = 5;
    int m_nRowHeight = 16;
    QColor m_textColor{0x4B, 0x4A, 0x4A};
    QColor m_selectedBack{0xD4, 0xD4, 0xD4};
    QColor m_back{0xFF, 0xFF, 0xFF};
    QColor m_gridColor{0xCC, 0xCC, 0xCC};
    std::vector<Column> m_vecColumns;
    std::vector<std::vector<tagCellInfo>> m_vecRows;
    int m_nSelected = -1;
    Hit m_hot;
    Hit m_pressed;
};
