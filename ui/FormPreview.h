#pragma once

#include <QDialog>
#include <QPushButton>
#include <QTabWidget>

#include "GeneratedFile.h"

// The generated files of one class, read-only, one tab per file.
class TPreviewForm : public QDialog {
    Q_OBJECT

public:
    TPreviewForm(const QString& className, const TGeneratedFiles& files, QWidget* parent = nullptr);

    // The text shown on a tab.
    QString PageText(int index) const;

    QTabWidget* PageControl1;
    QPushButton* Button1;
};
