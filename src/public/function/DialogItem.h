#pragma once
// Dialog controls keep their template ids: each carries it as the "ctrlId" property (set in the form or
// with SetDlgCtrlID) and is found by it.

class QWidget;

void SetDlgCtrlID(QWidget* control, int id);
int GetDlgCtrlID(const QWidget* control);
// The first descendant of the dialog with that id, or null.
QWidget* GetDlgItem(const QWidget* dialog, int id);
