#include "uic/UICUploadFile/controls/UICUpLoadListCtrl.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "function/DialogItem.h"
#include "platform/CodePage.h"
#include "platform/WindowMessage.h"

CUICUpLoadListCtrl::CUICUpLoadListCtrl(QWidget* parent) : QAbstractScrollArea(parent) {
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
}

int CUICUpLoadListCtrl::InsertColumn(int column, int width, Qt::Alignment alignment) {
    column = std::clamp(column, 0, GetColumnCount());
    m_vecColumns.insert(m_vecColumns.begin() + column, Column{width, alignment});
    for (auto& cells : m_vecRows) {
        cells.insert(cells.begin() + column, tagCellInfo{});
    }
    viewport()->update();
    return column;
}

void CUICUpLoadListCtrl::SetColumnImageList(int column, const ListImageList* images) {
    if (column >= 0 && column < GetColumnCount()) {
        m_vecColumns[column].images = images;
        viewport()->update();
    }
}

void CUICUpLoadListCtrl::SetRowHeight(int height) {
    m_nRowHeight = std::max(1, height);
    UpdateScrollRange();
    viewport()->update();
}

int CUICUpLoadListCtrl::InsertItem(int row, const std::string& text) {
    row = std::clamp(row, 0, GetItemCount());
    std::vector<tagCellInfo> cells(std::max(1, GetColumnCount()));
    cells[0].strText = text;
    m_vecRows.insert(m_vecRows.begin() + row, std::move(cells));
    if (m_nSelected >= row) {
        ++m_nSelected;
    }
    UpdateScrollRange();
    viewport()->update();
    return row;
}

bool CUICUpLoadListCtrl::DeleteItem(int row) {
    if (row < 0 || row >= GetItemCount()) {
        return false;
    }
    m_vecRows.erase(m_vecRows.begin() + row);
    if (m_nSelected == row) {
        m_nSelected = -1;
    } else if (m_nSelected > row) {
        --m_nSelected;
    }
    m_hot = m_pressed = Hit{};
    UpdateScrollRange();
    viewport()->update();
    return true;
}

void CUICUpLoadListCtrl::DeleteAllItems() {
    m_vecRows.clear();
    m_nSelected = -1;
    m_hot = m_pressed = Hit{};
    UpdateScrollRange();
    viewport()->update();
}

bool CUICUpLoadListCtrl::SetItemData(int row, LPARAM data) {
    tagCellInfo* cell = MutableCell(row, 0);
    if (cell) {
        cell->lParam = data;
    }
    return cell != nullptr;
}

LPARAM CUICUpLoadListCtrl::GetItemData(int row) const {
    const tagCellInfo* cell = Cell(row, 0);
    return cell ? cell->lParam : 0;
}

bool CUICUpLoadListCtrl::SetItemText(int row, int column, const std::string& text) {
    tagCellInfo* cell = MutableCell(row, column);
    if (cell) {
        cell->strText = text;
        viewport()->update(CellRect(row, column));
    }
    return cell != nullptr;
}

std::string CUICUpLoadListCtrl::GetItemText(int row, int column) const {
    const tagCellInfo* cell = Cell(row, column);
    return cell ? cell->strText : std::string();
}

bool CUICUpLoadListCtrl::SetItemImage(int row, int column, int image) {
    tagCellInfo* cell = MutableCell(row, column);
    if (!cell || cell->nType == CELL_BUTTON) {
        return false;
    }
    cell->nImage = image;
    viewport()->update(CellRect(row, column));
    return true;
}

bool CUICUpLoadListCtrl::SetItemButton(int row, int column, const std::string& text, int id) {
    tagCellInfo* cell = MutableCell(row, column);
    if (cell) {
        cell->nType = CELL_BUTTON;
        cell->strText = text;
        cell->nID = id;
    }
    return cell != nullptr;
}

bool CUICUpLoadListCtrl::SetItemButtonImages(int row, int column, int normal, int hot, int pressed,
                                             int disabled) {
    tagCellInfo* cell = MutableCell(row, column);
    if (!cell || cell->nType != CELL_BUTTON) {
        return false;
    }
    cell->nValues[0] = normal;
    cell->nValues[1] = hot;
    cell->nValues[2] = pressed;
    cell->nValues[3] = disabled;
    viewport()->update(CellRect(row, column));
    return true;
}

const CUICUpLoadListCtrl::tagCellInfo* CUICUpLoadListCtrl::Cell(int row, int column) const {
    if (row < 0 || row >= GetItemCount() || column < 0 || column >= static_cast<int>(m_vecRows[row].size())) {
        return nullptr;
    }
    return &m_vecRows[row][column];
}

CUICUpLoadListCtrl::tagCellInfo* CUICUpLoadListCtrl::MutableCell(int row, int column) {
    return const_cast<tagCellInfo*>(Cell(row, column));
}

void CUICUpLoadListCtrl::SetSelectedRow(int row) {
    m_nSelected = row >= 0 && row < GetItemCount() ? row : -1;
    if (m_nSelected >= 0) {
        // Scrolled into view.
        QScrollBar* bar = verticalScrollBar();
        const int top = m_nSelected * m_nRowHeight;
        if (top < bar->value()) {
            bar->setValue(top);
        } else if (top + m_nRowHeight > bar->value() + viewport()->height()) {
            bar->setValue(top + m_nRowHeight - viewport()->height());
        }
    }
    viewport()->update();
}

QRect CUICUpLoadListCtrl::CellRect(int row, int column) const {
    int left = 0;
    for (int i = 0; i < column && i < GetColumnCount(); ++i) {
        left += m_vecColumns[i].width;
    }
    const int width = column >= 0 && column < GetColumnCount() ? m_vecColumns[column].width : 0;
    return QRect(left, row * m_nRowHeight - verticalScrollBar()->value(), width, m_nRowHeight);
}

const QPixmap* CUICUpLoadListCtrl::Image(int column, int index) const {
    if (column < 0 || column >= GetColumnCount() || index < 0) {
        return nullptr;
    }
    const ListImageList* images = m_vecColumns[column].images;
    return images && index < static_cast<int>(images->size()) ? &(*images)[index] : nullptr;
}

QRect CUICUpLoadListCtrl::ButtonRect(int row, int column) const {
    const tagCellInfo* cell = Cell(row, column);
    if (!cell || cell->nType != CELL_BUTTON) {
        return {};
    }
    const QPixmap* face = Image(column, cell->nValues[0]);
    const QSize size = face ? face->deviceIndependentSize().toSize() : QSize(16, 16);
    const QRect rect = CellRect(row, column);
    // Faces sit centred in their cell.
    return QRect(rect.center().x() - size.width() / 2 + 1, rect.center().y() - size.height() / 2 + 1,
                 size.width(), size.height());
}

CUICUpLoadListCtrl::Hit CUICUpLoadListCtrl::HitTest(const QPoint& point) const {
    Hit hit;
    const int row = (point.y() + verticalScrollBar()->value()) / m_nRowHeight;
    if (point.y() < 0 || row >= GetItemCount()) {
        return hit;
    }
    int left = 0;
    for (int column = 0; column < GetColumnCount(); ++column) {
        if (point.x() >= left && point.x() < left + m_vecColumns[column].width) {
            hit.row = row;
            hit.column = column;
            const tagCellInfo* cell = Cell(row, column);
            hit.active = cell->nType == CELL_BUTTON && ButtonRect(row, column).contains(point);
            return hit;
        }
        left += m_vecColumns[column].width;
    }
    return hit;
}

void CUICUpLoadListCtrl::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), m_back);
    // Grid lines run through the empty part below the rows too.
    painter.setPen(QPen(m_gridColor, 1));
    const int offset = verticalScrollBar()->value() % m_nRowHeight;
    for (int y = m_nRowHeight - 1 - offset; y < viewport()->height(); y += m_nRowHeight) {
        painter.drawLine(0, y, viewport()->width(), y);
    }
    const int first = verticalScrollBar()->value() / m_nRowHeight;
    const int last = std::min(GetItemCount() - 1, first + viewport()->height() / m_nRowHeight + 1);
    for (int row = first; row <= last; ++row) {
        for (int column = 0; column < GetColumnCount(); ++column) {
            DrawCell(painter, row, column);
        }
    }
}

void CUICUpLoadListCtrl::DrawCell(QPainter& painter, int row, int column) const {
    const tagCellInfo& cell = m_vecRows[row][column];
    const QRect rect = CellRect(row, column);
    painter.fillRect(rect.adjusted(0, 1, 0, -1), row == m_nSelected ? m_selectedBack : m_back);
    if (cell.nType == CELL_BUTTON) {
        const bool pressed = m_pressed.row == row && m_pressed.column == column;
        const bool hot = m_hot.row == row && m_hot.column == column && m_hot.active;
        const int state = !isEnabled() ? 3 : pressed ? 2 : hot ? 1 : 0;
        const QPixmap* face = Image(column, cell.nValues[state] >= 0 ? cell.nValues[state] : cell.nValues[0]);
        if (face) {
            painter.drawPixmap(ButtonRect(row, column).topLeft(), *face);
        }
        return;
    }
    QRect textRect = rect.adjusted(kTextMargin, 0, -kTextMargin, 0);
    if (const QPixmap* image = Image(column, cell.nImage)) {
        const QSize size = image->deviceIndependentSize().toSize();
        painter.drawPixmap(rect.left() + 2, rect.center().y() - size.height() / 2 + 1, *image);
        textRect.setLeft(rect.left() + 2 + size.width() + kTextMargin);
    }
    painter.setPen(m_textColor);
    const QString text = fontMetrics().elidedText(ToQString(cell.strText), Qt::ElideRight, textRect.width());
    painter.drawText(textRect, static_cast<int>(m_vecColumns[column].alignment | Qt::AlignVCenter), text);
}

void CUICUpLoadListCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const Hit hit = HitTest(event->position().toPoint());
    if (hit.row < 0) {
        return;
    }
    SetSelectedRow(hit.row);
    if (hit.active) {
        m_pressed = hit;
        viewport()->update(CellRect(hit.row, hit.column));
        Notify(hit, LIST_LBUTTONDOWN);
    }
}

void CUICUpLoadListCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    const Hit pressed = m_pressed;
    m_pressed = Hit{};
    if (pressed.row >= 0) {
        viewport()->update(CellRect(pressed.row, pressed.column));
    }
    const Hit hit = HitTest(event->position().toPoint());
    if (hit.active) {
        Notify(hit, LIST_LBUTTONUP);
    }
}

void CUICUpLoadListCtrl::mouseMoveEvent(QMouseEvent* event) {
    const Hit hit = HitTest(event->position().toPoint());
    const bool moved = hit.row != m_hot.row || hit.column != m_hot.column || hit.active != m_hot.active;
    SetHot(hit);
    if (hit.active && moved) {
        Notify(hit, LIST_MOUSEMOVE);
    }
}

void CUICUpLoadListCtrl::leaveEvent(QEvent* event) {
    SetHot(Hit{});
    QAbstractScrollArea::leaveEvent(event);
}

void CUICUpLoadListCtrl::SetHot(const Hit& hit) {
    if (m_hot.row >= 0) {
        viewport()->update(CellRect(m_hot.row, m_hot.column));
    }
    m_hot = hit;
    if (hit.row >= 0) {
        viewport()->update(CellRect(hit.row, hit.column));
    }
    viewport()->setCursor(hit.active ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void CUICUpLoadListCtrl::Notify(const Hit& hit, int event) {
    QWidget* parent = parentWidget();
    if (!parent) {
        return;
    }
    tagListNotify notify{hit.row, hit.column, Cell(hit.row, hit.column)->nID, GetDlgCtrlID(this), event, 0};
    SendMessage(parent, WM_LIST_CELL_NOTIFY, static_cast<WPARAM>(notify.nCtrlID),
                reinterpret_cast<LPARAM>(&notify));
}

void CUICUpLoadListCtrl::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
}

void CUICUpLoadListCtrl::UpdateScrollRange() {
    QScrollBar* bar = verticalScrollBar();
    bar->setSingleStep(m_nRowHeight);
    bar->setPageStep(viewport()->height());
    bar->setRange(0, std::max(0, GetItemCount() * m_nRowHeight - viewport()->height()));
}
