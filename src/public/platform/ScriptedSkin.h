#pragma once
// Skin services for tests: records what was skinned, tipped and offered, and chooses menu commands from
// a queue (0, dismissed, when it is empty).

#include <QStringList>
#include <deque>
#include <set>
#include <vector>

#include "platform/Skin.h"

class ScriptedSkin final : public Skin {
public:
    struct Applied {
        QWidget* widget;
        std::string skinName;
    };
    struct Tip {
        QPoint point;
        std::string title;
        std::string text;
        int icon;
    };
    struct Menu {
        QPoint point;
        QStringList items;  // the action texts, in order
    };

    // Skins that ApplySkin finds; every name is found when none was declared.
    void SetAvailableSkins(std::set<std::string> names) { m_available = std::move(names); }
    void QueueMenuChoice(int commandId) { m_choices.push_back(commandId); }

    const std::vector<Applied>& AppliedSkins() const { return m_applied; }
    const std::vector<Tip>& Tips() const { return m_tips; }
    const std::vector<Menu>& Menus() const { return m_menus; }

    bool ApplySkin(QWidget* widget, const std::string& skinName) override;
    void ShowBalloonTip(const QPoint& screenPoint, const std::string& title, const std::string& text,
                        int icon) override;
    int TrackPopupMenu(QMenu* menu, const QPoint& screenPoint, QWidget* owner) override;

private:
    std::set<std::string> m_available;
    std::deque<int> m_choices;
    std::vector<Applied> m_applied;
    std::vector<Tip> m_tips;
    std::vector<Menu> m_menus;
};
