#pragma once
// The edit part of the goal-folder combo: shows the chosen folder's full path; clicking it opens the
// drop-down like the drop button does.

#include <QLineEdit>

class CUICComboEdit final : public QLineEdit {
    Q_OBJECT
public:
    explicit CUICComboEdit(QWidget* parent = nullptr);

signals:
    void Clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
