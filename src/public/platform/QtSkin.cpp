#include "platform/QtSkin.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QToolTip>
#include <QWidget>

#include "platform/CodePage.h"
#include "platform/ProgramDir.h"

QtSkin::QtSkin(std::string skinFolder)
    : m_folder(skinFolder.empty() ? ProgramDirUtf8() + "skin" : std::move(skinFolder)) {}

bool QtSkin::ApplySkin(QWidget* widget, const std::string& skinName) {
    if (!widget || skinName.empty() || skinName.find('/') != std::string::npos) {
        return false;
    }
    QFile file(QString::fromStdString(m_folder) + '/' + ToQString(skinName) + QStringLiteral(".qss"));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    widget->setStyleSheet(QString::fromUtf8(file.readAll()));
    return true;
}

void QtSkin::ShowBalloonTip(const QPoint& screenPoint, const std::string& title, const std::string& text,
                            int /*icon*/) {
    QString tip = ToQString(text).toHtmlEscaped();
    if (!title.empty()) {
        tip = QStringLiteral("<b>") + ToQString(title).toHtmlEscaped() + QStringLiteral("</b><br>") + tip;
    }
    QToolTip::showText(screenPoint, tip);
}

int QtSkin::TrackPopupMenu(QMenu* menu, const QPoint& screenPoint, QWidget* /*owner*/) {
    if (!menu) {
        return 0;
    }
    const QAction* chosen = menu->exec(screenPoint);
    return chosen ? chosen->data().toInt() : 0;
}
