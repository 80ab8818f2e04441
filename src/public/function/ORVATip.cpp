#include "function/ORVATip.h"

#include <QColor>
#include <QEvent>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include "log/LogMacros.h"
#include "platform/CodePage.h"
#include "platform/PrivateProfile.h"
#include "platform/WindowTimers.h"

namespace {

constexpr int kIconCell = 32;
constexpr int kMargin = 15;
constexpr int kTextLeft = kIconCell + 25;
constexpr int kShortTextBytes = 11;
constexpr size_t kMaxTextChars = 1024;
constexpr const char* kSettingsFile = "./config.ini";
constexpr const char* kLevelStrip = "images/other/TipLevel.bmp";

QColor FromColorRef(int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    return QColor(bits & 0xFF, (bits >> 8) & 0xFF, (bits >> 16) & 0xFF);
}

}  // namespace

// The popup itself: paints what DrawTipWnd gave it and hides on a click or when it loses activation.
class COrvaTip::CTipWindow final : public QWidget {
public:
    explicit CTipWindow(QWidget* owner)
        : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setObjectName("orvatip");
    }

    void SetContent(const QString& text, const tagTipInfo& info, int level) {
        m_text = text;
        m_info = info;
        QPixmap strip(QString::fromUtf8(kLevelStrip));
        m_icon = QPixmap();
        if (!strip.isNull()) {
            m_icon = strip.copy(kIconCell * level, 0, kIconCell, kIconCell);
            m_icon.setMask(m_icon.createMaskFromColor(QColor(255, 0, 255)));
        }
    }

    QPainterPath Outline() const {
        QPainterPath path;
        const qreal corner = width() / 6.0;
        path.addRoundedRect(QRectF(0, 0, width(), height()), corner / 2, corner / 2);
        return path;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QLinearGradient gradient(0, 0, 0, height());
        gradient.setColorAt(0, FromColorRef(m_info.nMainColor));
        gradient.setColorAt(1, FromColorRef(m_info.nAssistColor));
        const QPainterPath outline = Outline();
        painter.fillPath(outline, gradient);
        painter.setPen(QPen(FromColorRef(m_info.nBorderColor), 1));
        painter.drawPath(outline);
        if (!m_text.isEmpty() && static_cast<size_t>(m_text.size()) <= kMaxTextChars) {
            QFont font("Arial");
            font.setPointSize(10);
            painter.setFont(font);
            painter.setPen(Qt::white);
            painter.drawText(QRect(kTextLeft, kMargin, width() - kTextLeft, height()),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_text);
        }
        if (!m_icon.isNull()) {
            painter.drawPixmap(kMargin, kMargin, m_icon);
        }
    }
    void mousePressEvent(QMouseEvent*) override { hide(); }
    bool event(QEvent* event) override {
        if (event->type() == QEvent::WindowDeactivate) {
            hide();
        }
        return QWidget::event(event);
    }

private:
    QString m_text;
    tagTipInfo m_info;
    QPixmap m_icon;
};

COrvaTip::COrvaTip() : m_pTimers(std::make_unique<WindowTimers>([this](unsigned id) { OnTimer(id); })) {}

COrvaTip::~COrvaTip() {
    ClearState();
}

int COrvaTip::CreateWnd(QWidget* parent) {
    m_pWnd = new CTipWindow(parent);
    return m_pWnd ? 1 : 0;
}

QWidget* COrvaTip::Window() const {
    return m_pWnd.data();
}

COrvaTip::CTipWindow* COrvaTip::TipWindow() const {
    return static_cast<CTipWindow*>(m_pWnd.data());
}

unsigned COrvaTip::HideTimerPeriod() const {
    return m_pTimers->Period(kHideTimer);
}

void COrvaTip::ClearState() {
    if (!m_pWnd) {
        return;
    }
    m_pWnd->hide();
    m_pTimers->KillTimer(kHideTimer);
    m_rcTip = QRect();
    delete m_pWnd.data();
}

void COrvaTip::OnTimer(unsigned id) {
    if (id != kHideTimer) {
        return;
    }
    if (m_pWnd) {
        m_pWnd->hide();
    }
    m_pTimers->KillTimer(kHideTimer);
}

COrvaTip::tagTipInfo COrvaTip::GetToolTipInfo() {
    tagTipInfo info;
    info.nMainColor = GetPrivateProfileInt("TIPINFO", "MainColor", info.nMainColor, kSettingsFile);
    info.nAssistColor = GetPrivateProfileInt("TIPINFO", "AssistColor", info.nAssistColor, kSettingsFile);
    info.nBorderColor = GetPrivateProfileInt("TIPINFO", "BorderColor", info.nBorderColor, kSettingsFile);
    info.nShowTime = GetPrivateProfileInt("TIPINFO", "ShowTime", info.nShowTime, kSettingsFile);
    return info;
}

QRect COrvaTip::PlaceTip(size_t textBytes, const QRect& anchor, const QSize& screen) {
    const int width = textBytes < kShortTextBytes ? kShortTipWidth : kTipWidth;
    // Above the anchor first; below it when there is no room above.
    QRect tip(anchor.left(), anchor.top() - kTipHeight - kScreenGap, width, kTipHeight);
    if (tip.top() < kScreenGap) {
        tip.translate(0, kTipHeight + anchor.height() + 2 * kScreenGap);
    } else if (tip.bottom() + 1 > screen.height() - kScreenGap) {
        tip.moveBottom(screen.height() - kScreenGap - 1);
    }
    if (tip.left() < kScreenGap) {
        tip.moveLeft(kScreenGap);
    } else if (tip.right() + 1 > screen.width() - kScreenGap) {
        tip.moveRight(screen.width() - kScreenGap - 1);
    }
    return tip;
}

int COrvaTip::PopToolTip(const std::string& text, QWidget* anchor, int level) {
    static const char* const kName = "COrvaTip::PopToolTip";
    ClearState();
    if (!CreateWnd(anchor ? anchor->window() : nullptr)) {
        LOG_FAILED(kName, "CreateWnd");
        return -1;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->geometry().size() : QSize();
    const QRect anchorRect =
        anchor ? QRect(anchor->mapToGlobal(QPoint(0, 0)), anchor->size()) : QRect(0, 0, 0, 0);
    m_rcTip = PlaceTip(text.size(), anchorRect, screenSize);
    const tagTipInfo sTipInfo = GetToolTipInfo();
    if (!anchor) {
        // Without an anchor the tip sits at the bottom-right corner of the work area.
        const int workHeight = screen ? screen->availableGeometry().height() : 0;
        m_rcTip.moveBottomRight(QPoint(screenSize.width() - kScreenGap - 1, workHeight - kScreenGap - 1));
    }
    m_pWnd->setGeometry(m_rcTip);
    DrawTipWnd(text, sTipInfo, level);
    m_pTimers->SetTimer(kHideTimer, static_cast<unsigned>(std::max(sTipInfo.nShowTime, 0)));
    return 0;
}

void COrvaTip::DrawTipWnd(const std::string& text, const tagTipInfo& info, int level) {
    CTipWindow* window = TipWindow();
    window->SetContent(ToQString(text), info, level);
    window->setMask(QRegion(window->Outline().toFillPolygon().toPolygon()));
    window->show();
    window->update();
}
