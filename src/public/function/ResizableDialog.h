#pragma once
// The base of the component's own dialogs: a minimum tracking size taken from the dialog's size when its
// initialisation ends, anchors that keep child controls at fixed distances from chosen points of the
// client area, and an optional memory of the window placement in the application profile.
//
// A dialog is built in two steps, as a dialog template is: construct it, then Create() runs
// OnInitDialog once; a derived OnInitDialog calls the base's first.

#include <QDialog>
#include <string>
#include <vector>

// Size types of OnSize; the numeric values of the platform's size notification.
constexpr int SIZE_RESTORED = 0;
constexpr int SIZE_MINIMIZED = 1;
constexpr int SIZE_MAXIMIZED = 2;
constexpr int SIZE_MAXSHOW = 3;
constexpr int SIZE_MAXHIDE = 4;

// A point of the client area in percent of its width and height; (-1, -1) is no anchor.
struct Anchor {
    int x;
    int y;
    bool operator==(const Anchor&) const = default;
};

inline constexpr Anchor ANCHOR_NONE{-1, -1};
inline constexpr Anchor ANCHOR_TOPLEFT{0, 0};
inline constexpr Anchor ANCHOR_TOP{50, 0};
inline constexpr Anchor ANCHOR_TOPRIGHT{100, 0};
inline constexpr Anchor ANCHOR_LEFT{0, 50};
inline constexpr Anchor ANCHOR_MIDDLE{50, 50};
inline constexpr Anchor ANCHOR_BOTTOMLEFT{0, 100};
inline constexpr Anchor ANCHOR_BOTTOMRIGHT{100, 100};

// The minimum/maximum record a dialog fills when asked for its size bounds.
struct MINMAXINFO {
    QSize ptMinTrackSize;
};

class CResizableDialog : public QDialog {
    Q_OBJECT
public:
    CResizableDialog(int templateId, QWidget* parent);
    ~CResizableDialog() override;

    int TemplateId() const { return m_nTemplateId; }
    // Runs OnInitDialog the first time; later calls return the first result.
    bool Create();
    bool IsInitialized() const { return m_bInitDone != 0; }

    // Placement text: "%d,%d,%d,%d,%d,%d" = left, top, right, bottom, show command, flags.
    void EnablePlacementMemory(const std::string& section, const std::string& entry);
    void SavePlacement();
    std::string PlacementText() const;
    // False (window untouched) unless the text holds all six numbers and a non-empty rectangle.
    bool ApplyPlacementText(const std::string& text);

    QSize MinTrackSize() const { return m_minTrackSize; }

protected:
    virtual bool OnInitDialog();
    // A derived dialog may set its own minimum first; once initialised the base's replaces it.
    virtual void OnGetMinMaxInfo(MINMAXINFO* info);
    virtual void OnSize(int type, int cx, int cy);
    // Applies the bounds OnGetMinMaxInfo gives to the window.
    void UpdateMinMaxInfo();

    void AnchorControl(QWidget* control, Anchor topLeft, Anchor bottomRight = ANCHOR_NONE);
    void ArrangeLayout();

    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct AnchorRecord {
        QWidget* control;
        bool repaint;
        Anchor topLeft;
        QPoint topLeftMargin;
        Anchor bottomRight;
        QPoint bottomRightMargin;
    };

    int SizeType() const;
    QRect ClientRect(const QWidget* control) const;
    QPoint AnchorPoint(Anchor anchor) const;

    int m_nTemplateId;
    int m_bInitDone = 0;
    int m_bEnableMinSize = 1;
    int m_bEnableSaveRestore = 0;
    bool m_bCreated = false;
    bool m_bCreateResult = false;
    std::string m_strSection;
    std::string m_strEntry;
    QSize m_minTrackSize;
    std::vector<AnchorRecord> m_vecAnchors;
};
