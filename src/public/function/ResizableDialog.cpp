#include "function/ResizableDialog.h"

#include <QLabel>
#include <QResizeEvent>
#include <cstdio>

#include "platform/AppProfile.h"

namespace {

constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;
// The placement flag saying a minimised window comes back maximised.
constexpr int kRestoreToMaximized = 2;

}  // namespace

CResizableDialog::CResizableDialog(int templateId, QWidget* parent)
    : QDialog(parent), m_nTemplateId(templateId) {}

CResizableDialog::~CResizableDialog() {
    m_vecAnchors.clear();
    if (m_bEnableSaveRestore) {
        SavePlacement();
    }
}

bool CResizableDialog::Create() {
    if (!m_bCreated) {
        m_bCreated = true;
        m_bCreateResult = OnInitDialog();
    }
    return m_bCreateResult;
}

bool CResizableDialog::OnInitDialog() {
    UpdateMinMaxInfo();
    m_minTrackSize = size();
    m_bInitDone = 1;
    UpdateMinMaxInfo();
    return true;
}

void CResizableDialog::OnGetMinMaxInfo(MINMAXINFO* info) {
    if (m_bInitDone && m_bEnableMinSize) {
        info->ptMinTrackSize = m_minTrackSize;
    }
}

void CResizableDialog::UpdateMinMaxInfo() {
    MINMAXINFO info{minimumSize()};
    OnGetMinMaxInfo(&info);
    setMinimumSize(info.ptMinTrackSize);
}

void CResizableDialog::AnchorControl(QWidget* control, Anchor topLeft, Anchor bottomRight) {
    if (!control) {
        return;
    }
    // Labels are painted from their own background, so a moved one must repaint at once or it leaves
    // its old picture behind. Qt clips siblings itself, so buttons need nothing.
    const bool repaint = qobject_cast<QLabel*>(control) != nullptr;
    if (bottomRight == ANCHOR_NONE) {
        bottomRight = topLeft;
    }
    const QRect rect = ClientRect(control);
    const QPoint tl = AnchorPoint(topLeft);
    const QPoint br = AnchorPoint(bottomRight);
    m_vecAnchors.push_back(
        {control, repaint, topLeft, QPoint(rect.left() - tl.x(), rect.top() - tl.y()), bottomRight,
         QPoint(rect.left() + rect.width() - br.x(), rect.top() + rect.height() - br.y())});
}

void CResizableDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    OnSize(SizeType(), event->size().width(), event->size().height());
}

void CResizableDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // Coming back from the task bar is a size change of its own, as it is for a window.
    if (event->type() == QEvent::WindowStateChange) {
        OnSize(SizeType(), width(), height());
    }
}

void CResizableDialog::OnSize(int type, int /*cx*/, int /*cy*/) {
    if (type == SIZE_MINIMIZED || type == SIZE_MAXSHOW || type == SIZE_MAXHIDE) {
        return;
    }
    if (m_bInitDone) {
        ArrangeLayout();
    }
}

void CResizableDialog::ArrangeLayout() {
    // All controls move in one go: nothing is painted until the last one has its place.
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    for (const AnchorRecord& anchor : m_vecAnchors) {
        const QPoint tl = AnchorPoint(anchor.topLeft) + anchor.topLeftMargin;
        const QPoint br = AnchorPoint(anchor.bottomRight) + anchor.bottomRightMargin;
        const QRect present = ClientRect(anchor.control);
        const QRect wanted(tl, QSize(br.x() - tl.x(), br.y() - tl.y()));
        if (wanted == present) {
            continue;
        }
        const QPoint origin = anchor.control->parentWidget()->mapFrom(this, wanted.topLeft());
        if (wanted.size() == present.size()) {
            anchor.control->move(origin);
        } else if (wanted.topLeft() == present.topLeft()) {
            anchor.control->resize(wanted.size());
        } else {
            anchor.control->setGeometry(QRect(origin, wanted.size()));
        }
    }
    setUpdatesEnabled(updates);
    for (const AnchorRecord& anchor : m_vecAnchors) {
        if (anchor.repaint) {
            anchor.control->repaint();
        }
    }
}

void CResizableDialog::EnablePlacementMemory(const std::string& section, const std::string& entry) {
    m_strSection = section;
    m_strEntry = entry;
    m_bEnableSaveRestore = 1;
    const std::string text = GetProfileString(section.c_str(), entry.c_str(), "");
    if (!text.empty()) {
        ApplyPlacementText(text);
    }
}

void CResizableDialog::SavePlacement() {
    WriteProfileString(m_strSection.c_str(), m_strEntry.c_str(), PlacementText().c_str());
}

std::string CResizableDialog::PlacementText() const {
    const bool normal = !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    const QRect rect = normal ? geometry() : normalGeometry();
    int showCommand = kShowNormal;
    int flags = 0;
    if (windowState() & Qt::WindowMinimized) {
        showCommand = kShowMinimized;
        flags = (windowState() & Qt::WindowMaximized) ? kRestoreToMaximized : 0;
    } else if (windowState() & Qt::WindowMaximized) {
        showCommand = kShowMaximized;
    }
    char text[96];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d,%d,%d", rect.left(), rect.top(), rect.left() + rect.width(),
                  rect.top() + rect.height(), showCommand, flags);
    return text;
}

bool CResizableDialog::ApplyPlacementText(const std::string& text) {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int showCommand = 0;
    int flags = 0;
    if (std::sscanf(text.c_str(), "%d,%d,%d,%d,%d,%d", &left, &top, &right, &bottom, &showCommand, &flags) !=
        6) {
        return false;
    }
    // A damaged profile must not make the window vanish into a zero-sized rectangle.
    if (right <= left || bottom <= top) {
        return false;
    }
    setGeometry(left, top, right - left, bottom - top);
    // A window is not brought back minimised: the user could not find it.
    const bool maximized =
        showCommand == kShowMaximized || (showCommand == kShowMinimized && (flags & kRestoreToMaximized));
    setWindowState(maximized ? Qt::WindowMaximized : Qt::WindowNoState);
    return true;
}

int CResizableDialog::SizeType() const {
    if (isMinimized()) {
        return SIZE_MINIMIZED;
    }
    return isMaximized() ? SIZE_MAXIMIZED : SIZE_RESTORED;
}

QRect CResizableDialog::ClientRect(const QWidget* control) const {
    return QRect(control->parentWidget()->mapTo(this, control->pos()), control->size());
}

QPoint CResizableDialog::AnchorPoint(Anchor anchor) const {
    return QPoint(width() * anchor.x / 100, height() * anchor.y / 100);
}
