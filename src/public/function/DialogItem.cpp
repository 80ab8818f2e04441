#include "function/DialogItem.h"

#include <QVariant>
#include <QWidget>

namespace {
constexpr const char* kCtrlIdProperty = "ctrlId";
}

void SetDlgCtrlID(QWidget* control, int id) {
    if (control) {
        control->setProperty(kCtrlIdProperty, id);
    }
}

int GetDlgCtrlID(const QWidget* control) {
    if (!control) {
        return 0;
    }
    bool ok = false;
    const int id = control->property(kCtrlIdProperty).toInt(&ok);
    return ok ? id : 0;
}

QWidget* GetDlgItem(const QWidget* dialog, int id) {
    if (!dialog) {
        return nullptr;
    }
    const auto children = dialog->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (GetDlgCtrlID(child) == id) {
            return child;
        }
    }
    return nullptr;
}
