#include "uic/UICUploadFile/controls/UICComboTreeCtrl.h"

#include <QHBoxLayout>
#include <QScreen>
#include <QToolButton>

#include "function/DialogItem.h"
#include "function/ToolsHelp.h"
#include "platform/CodePage.h"
#include "uic/UICUploadFile/controls/UICComboEdit.h"
#include "uic/UICUploadFile/controls/UICTreeDropList.h"
#include "uic/UICUploadFile/frame/Resource.h"

namespace {

constexpr int kDataRole = Qt::UserRole;

std::vector<QString> SplitPath(const std::string& path, char separator) {
    std::vector<QString> parts;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find(separator, start), path.size());
        if (end > start) {
            parts.push_back(ToQString(path.substr(start, end - start)));
        }
        start = end + 1;
    }
    return parts;
}

QTreeWidgetItem* ChildNamed(QTreeWidgetItem* parent, const QString& name) {
    for (int i = 0; i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0) == name) {
            return parent->child(i);
        }
    }
    return nullptr;
}

}  // namespace

CUICComboTreeCtrl::CUICComboTreeCtrl(QWidget* parent)
    : QWidget(parent),
      m_pEdit(new CUICComboEdit(this)),
      m_pDropButton(new QToolButton(this)),
      m_pDropList(new CUICTreeDropList(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_pEdit, 1);
    layout->addWidget(m_pDropButton);
    m_pDropButton->setArrowType(Qt::DownArrow);
    SetDlgCtrlID(m_pDropButton, IDC_COMBO_DROPBUTTON);
    m_pDropList->hide();
    const auto toggle = [this] { IsDropDownVisible() ? HideDropDown() : ShowDropDown(); };
    connect(m_pDropButton, &QToolButton::clicked, this, toggle);
    connect(m_pEdit, &CUICComboEdit::Clicked, this, toggle);
}

CUICComboTreeCtrl::~CUICComboTreeCtrl() = default;

QTreeWidgetItem* CUICComboTreeCtrl::AddPath(const std::string& path) {
    QTreeWidgetItem* node = m_pDropList->invisibleRootItem();
    for (const QString& part : SplitPath(path, kSeparator)) {
        QTreeWidgetItem* child = ChildNamed(node, part);
        if (!child) {
            child = new QTreeWidgetItem(node, QStringList{part});
        }
        node = child;
    }
    return node == m_pDropList->invisibleRootItem() ? nullptr : node;
}

void CUICComboTreeCtrl::SetItemData(QTreeWidgetItem* item, const void* data) {
    if (item) {
        item->setData(0, kDataRole, QVariant::fromValue(reinterpret_cast<quintptr>(data)));
    }
}

const void* CUICComboTreeCtrl::GetItemData(const QTreeWidgetItem* item) const {
    return item ? reinterpret_cast<const void*>(item->data(0, kDataRole).value<quintptr>()) : nullptr;
}

QTreeWidgetItem* CUICComboTreeCtrl::GetSelectedItem() const {
    const QList<QTreeWidgetItem*> selected = m_pDropList->selectedItems();
    return selected.isEmpty() ? nullptr : selected.front();
}

std::string CUICComboTreeCtrl::GetSelectedPath() const {
    return GetFullPath(GetSelectedItem());
}

std::string CUICComboTreeCtrl::GetFullPath(const QTreeWidgetItem* item) const {
    std::string path;
    for (; item; item = item->parent()) {
        path = FromQString(item->text(0)) + (path.empty() ? "" : std::string(1, kSeparator)) + path;
    }
    return path;
}

QTreeWidgetItem* CUICComboTreeCtrl::FindPath(const std::string& path) const {
    QTreeWidgetItem* node = m_pDropList->invisibleRootItem();
    for (const QString& part : SplitPath(path, kSeparator)) {
        node = ChildNamed(node, part);
        if (!node) {
            return nullptr;
        }
    }
    return node == m_pDropList->invisibleRootItem() ? nullptr : node;
}

bool CUICComboTreeCtrl::SelectPath(const std::string& path, bool expand) {
    QTreeWidgetItem* node = FindPath(path);
    if (node) {
        m_pDropList->setCurrentItem(node);
        node->setSelected(true);
        for (QTreeWidgetItem* parent = node->parent(); expand && parent; parent = parent->parent()) {
            parent->setExpanded(true);
        }
        m_pEdit->setText(ToQString(GetFullPath(node)));
    }
    HideDropDown();
    return node != nullptr;
}

void CUICComboTreeCtrl::DeleteAllItems() {
    m_pDropList->clear();
    m_pEdit->clear();
}

std::string CUICComboTreeCtrl::GetWindowText() const {
    return FromQString(m_pEdit->text());
}

void CUICComboTreeCtrl::ShowDropDown() {
    if (m_bOpen) {
        return;
    }
    // Under the combo, or above / to the left when it would leave the screen.
    const QSize size(std::max(width(), m_dropSize.width()), m_dropSize.height());
    QPoint origin = mapToGlobal(QPoint(0, height()));
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        if (origin.y() + size.height() > area.bottom()) {
            origin.setY(mapToGlobal(QPoint(0, 0)).y() - size.height());
        }
        if (origin.x() + size.width() > area.right()) {
            origin.setX(area.right() - size.width());
        }
    }
    m_pDropList->setGeometry(QRect(origin, size));
    m_pDropList->show();
    m_pDropList->raise();
    m_pDropList->activateWindow();
    m_pDropList->setFocus(Qt::PopupFocusReason);
    m_bOpen = true;
    m_strLastPath = GetSelectedPath();
    emit Notify(CBN_DROPDOWN);
    EnableBrowseButtons(false);
}

void CUICComboTreeCtrl::HideDropDown() {
    const bool wasOpen = m_bOpen;
    m_bOpen = false;
    m_pDropList->hide();
    if (wasOpen) {
        EnableBrowseButtons(true);
    }
}

bool CUICComboTreeCtrl::IsDropDownVisible() const {
    return m_bOpen;
}

void CUICComboTreeCtrl::Commit() {
    if (QTreeWidgetItem* item = GetSelectedItem()) {
        m_pEdit->setText(ToQString(GetFullPath(item)));
    }
    emit Notify(CBN_SELENDOK);
    emit Notify(CBN_SELCHANGE);
}

void CUICComboTreeCtrl::OnDropCommit() {
    Commit();
    HideDropDown();
}

void CUICComboTreeCtrl::OnDropCancel() {
    emit Notify(CBN_SELENDCANCEL);
    HideDropDown();
}

void CUICComboTreeCtrl::OnDropTab(bool previous) {
    OnDropCommit();
    QWidget* next = previous ? previousInFocusChain() : nextInFocusChain();
    if (next) {
        next->setFocus(previous ? Qt::BacktabFocusReason : Qt::TabFocusReason);
    }
}

void CUICComboTreeCtrl::OnDropDoubleClick() {
    emit Notify(CBN_DBLCLK);
    OnDropCommit();
}

void CUICComboTreeCtrl::OnDropFocusLost() {
    const bool changed = GetSelectedPath() != m_strLastPath;
    HideDropDown();
    if (changed) {
        Commit();
    }
    emit Notify(CBN_KILLFOCUS);
}

void CUICComboTreeCtrl::EnableBrowseButtons(bool enable) {
    // The open drop-down covers the two browse buttons.
    QWidget* dialog = window();
    for (int id : {IDC_BUTTON_CHOOSE, IDC_BUTTON_CATALOG}) {
        if (QWidget* button = GetDlgItem(dialog, id)) {
            button->setEnabled(enable);
        }
    }
}
