#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>

#include "UserSeam.h"

// The seam on Qt's standard boxes and the desktop's opener.
class TQtUserSeam : public TUserSeam {
public:
    void Message(const QString& text) override;
    bool Confirm(const QString& caption, const QString& text) override;
    void CloseQuestion() override;
    QString InputBox(const QString& caption, const QString& prompt,
                     const QString& defaultText) override;
    void Information(const QString& caption, const QString& text) override;
    void Error(const QString& message) override;
    QString OpenFileName(const QString& caption, const QString& filter) override;
    QString SaveFileName(const QString& caption, const QString& defaultName,
                         const QString& filter) override;
    void OpenFolder(const QString& path) override;
    void OpenUrl(const QUrl& url) override;

private:
    QString LastFolder() const;
    // Keeps the folder of a chosen file for the next file dialog of the session.
    QString Remember(const QString& file);

    QString lastFolder_;
    QPointer<QMessageBox> question_; // the confirmation open now, if any
};
