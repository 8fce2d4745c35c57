#include "QtUserSeam.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "Printable.h"

namespace {

// Boxes belong to whichever window the user is working in.
QWidget* Owner() {
    return QApplication::activeWindow();
}

} // namespace

void TQtUserSeam::Message(const QString& text) {
    QMessageBox::information(Owner(), kApplicationTitle, text);
}

bool TQtUserSeam::Confirm(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                    Owner());
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() != QMessageBox::Cancel;
}

QString TQtUserSeam::InputBox(const QString& caption, const QString& prompt,
                              const QString& defaultText) {
    bool ok = false;
    QString answer =
        QInputDialog::getText(Owner(), caption, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? answer : defaultText;
}

void TQtUserSeam::Information(const QString& caption, const QString& text) {
    QMessageBox::information(Owner(), caption, text);
}

void TQtUserSeam::Error(const QString& message) {
    QMessageBox::critical(Owner(), kApplicationTitle, message);
}

// The dialogs start in the user's home folder.
QString TQtUserSeam::OpenFileName(const QString& caption, const QString& filter) {
    return QFileDialog::getOpenFileName(Owner(), caption, QDir::homePath(), filter);
}

QString TQtUserSeam::SaveFileName(const QString& caption, const QString& defaultName,
                                  const QString& filter) {
    return QFileDialog::getSaveFileName(Owner(), caption, QDir::home().filePath(defaultName),
                                        filter);
}

// Without a file browser the user is at least told where the output is.
void TQtUserSeam::OpenFolder(const QString& path) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        Message(QStringLiteral("无法打开文件夹: ") + Printable(path));
}

void TQtUserSeam::OpenUrl(const QUrl& url) {
    QDesktopServices::openUrl(url);
}
