#pragma once
// The skin library's services: named skins for dialogs, balloon tips at a screen point and popup menus.

#include <QPoint>
#include <string>

class QMenu;
class QWidget;

// Icons of a balloon tip.
constexpr int TTI_NONE = 0;
constexpr int TTI_INFO = 1;
constexpr int TTI_WARNING = 2;
constexpr int TTI_ERROR = 3;

class Skin {
public:
    virtual ~Skin() = default;

    // Applies the named skin (for example "DlgUpload"); false, and the widget unchanged, when the skin
    // cannot be found.
    virtual bool ApplySkin(QWidget* widget, const std::string& skinName) = 0;
    // Texts are GB18030.
    virtual void ShowBalloonTip(const QPoint& screenPoint, const std::string& title, const std::string& text,
                                int icon) = 0;
    // Shows the menu at the point until a choice is made; the chosen action's command id (its data()
    // as an integer), or 0 when the menu was dismissed.
    virtual int TrackPopupMenu(QMenu* menu, const QPoint& screenPoint, QWidget* owner) = 0;
};
