#pragma once
// A splitter bar: dragged along its short side within a range, it reports the move to its parent as
// message 0x1400 (code 9, sub-code 10, its control id and the distance moved) and leaves the moving of
// the neighbouring controls to the parent. A bar wider than high moves up and down.

#include <QWidget>

inline constexpr unsigned WM_SKIN_NOTIFY = 0x1400;
inline constexpr int SKIN_NOTIFY_SPLITTER = 9;
inline constexpr int SKIN_SPLITTER_MOVED = 10;

struct tagSkinNotify {
    int32_t nCode;
    int32_t nSubCode;
    int32_t nCtrlID;
    int32_t nDelta;
};

class CSkinSplitterCtrl final : public QWidget {
    Q_OBJECT
public:
    explicit CSkinSplitterCtrl(QWidget* parent = nullptr);

    bool IsHorizontal() const { return width() >= height(); }
    // How far the bar may go before (up or left) and after (down or right) its present place.
    void SetRange(int before, int after);
    int RangeBefore() const { return m_nBefore; }
    int RangeAfter() const { return m_nAfter; }
    // Moves the bar by delta (clamped to the range) and reports the move; returns the distance moved.
    int MoveBy(int delta);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int Along(const QPoint& point) const { return IsHorizontal() ? point.y() : point.x(); }

    int m_nBefore = 0;
    int m_nAfter = 0;
    int m_nPressAt = -1;
};
