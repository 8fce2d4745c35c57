#include "ProjectBox.h"

#include <QAbstractItemView>
#include <QStylePainter>
#include <QStyledItemDelegate>

TProjectBox::TProjectBox(QWidget* parent) : QComboBox(parent) {
    setItemDelegate(new QStyledItemDelegate(this));
    view()->setTextElideMode(Qt::ElideRight);
    view()->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

// From the box's left edge to the window's right edge, and never narrower than the box.
void TProjectBox::showPopup() {
    const int windowRight = window()->geometry().right();
    const int left = mapToGlobal(QPoint(0, 0)).x();
    view()->window()->setMaximumWidth(qMax(width(), windowRight - left + 1));
    QComboBox::showPopup();
}

void TProjectBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    option.currentText =
        fontMetrics().elidedText(option.currentText, Qt::ElideRight, field.width());
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}
