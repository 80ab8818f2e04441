#include "uic/UICUploadFile/controls/UICComboEdit.h"

#include <QMouseEvent>

CUICComboEdit::CUICComboEdit(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
}

void CUICComboEdit::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit Clicked();
    }
}
