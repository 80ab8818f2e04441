#include "uic/UICUploadFile/upload/RefusalView.h"

#include <QTextEdit>
#include <algorithm>

#include "platform/Prompts.h"
#include "platform/Services.h"
#include "platform/Skin.h"
#include "uic/UICUploadFile/upload/UploadRules.h"

void ShowTipAt(QWidget* anchor, const std::string& text) {
    if (anchor) {
        Services::GetSkin().ShowBalloonTip(anchor->mapToGlobal(QPoint(0, 0)), "", text, TTI_NONE);
    }
}

void ShowFullWidthRefusal(QWidget* owner, QTextEdit* tag, const std::vector<int32_t>& positions) {
    if (Services::GetPrompts().MessageBox(owner, "对不起，您输入的文本不能含有全角字符， 请重试!", "提示",
                                          MB_OK) != IDOK) {
        return;
    }
    tag->setFocus();
    QTextCharFormat red;
    red.setForeground(QColor(0xFF, 0, 0));
    // Positions count characters from 1.
    for (auto it = positions.rbegin(); it != positions.rend(); ++it) {
        QTextCursor cursor(tag->document());
        cursor.setPosition(std::max(0, *it - 1));
        cursor.setPosition(*it, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(red);
    }
    tag->selectAll();
    tag->ensureCursorVisible();
}

bool ShowTextVerdict(const RuleVerdict& verdict, QWidget* owner, QWidget* uploadButton, QTextEdit* tag,
                     QWidget* focus) {
    if (verdict.Passed()) {
        return true;
    }
    if (verdict.kind == RuleVerdict::Kind::FullWidth) {
        ShowFullWidthRefusal(owner, tag, verdict.positions);
    } else if (verdict.kind == RuleVerdict::Kind::Tip) {
        ShowTipAt(uploadButton, verdict.tip);
        if (focus) {
            focus->setFocus();
        }
    }
    return false;
}
