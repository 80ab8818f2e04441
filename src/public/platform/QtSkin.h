#pragma once
// Skins as Qt style sheets: the skin "Name" is the file "Name.qss" in the skin folder.

#include "platform/Skin.h"

class QtSkin final : public Skin {
public:
    // skinFolder in the file system's bytes; by default the "skin" folder of the program directory.
    explicit QtSkin(std::string skinFolder = {});

    bool ApplySkin(QWidget* widget, const std::string& skinName) override;
    void ShowBalloonTip(const QPoint& screenPoint, const std::string& title, const std::string& text,
                        int icon) override;
    int TrackPopupMenu(QMenu* menu, const QPoint& screenPoint, QWidget* owner) override;

    const std::string& SkinFolder() const { return m_folder; }

private:
    std::string m_folder;
};
