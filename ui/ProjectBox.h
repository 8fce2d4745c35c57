#pragma once

#include <QComboBox>

// The project drop-down: a long name is elided, in the box and in its popup, and the popup is
// no wider than the window.
class TProjectBox : public QComboBox {
    Q_OBJECT

public:
    explicit TProjectBox(QWidget* parent = nullptr);

    void showPopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
