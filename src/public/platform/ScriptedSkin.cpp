#include "platform/ScriptedSkin.h"

#include <QAction>
#include <QMenu>

bool ScriptedSkin::ApplySkin(QWidget* widget, const std::string& skinName) {
    if (!m_available.empty() && !m_available.count(skinName)) {
        return false;
    }
    m_applied.push_back({widget, skinName});
    return true;
}

void ScriptedSkin::ShowBalloonTip(const QPoint& screenPoint, const std::string& title,
                                  const std::string& text, int icon) {
    m_tips.push_back({screenPoint, title, text, icon});
}

int ScriptedSkin::TrackPopupMenu(QMenu* menu, const QPoint& screenPoint, QWidget* /*owner*/) {
    Menu shown{screenPoint, {}};
    if (menu) {
        for (const QAction* action : menu->actions()) {
            shown.items << action->text();
        }
    }
    m_menus.push_back(std::move(shown));
    if (m_choices.empty()) {
        return 0;
    }
    const int choice = m_choices.front();
    m_choices.pop_front();
    return choice;
}
