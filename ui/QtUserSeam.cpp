#include "QtUserSeam.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
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
    question_ = &box;
    const int answer = box.exec();
    question_ = nullptr;
    return answer != QMessageBox::Cancel;
}

void TQtUserSeam::CloseQuestion() {
    if (question_ != nullptr)
        question_->done(QMessageBox::Cancel);
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

// The file dialogs start in the folder of the file last chosen, at first the home folder.
QString TQtUserSeam::OpenFileName(const QString& caption, const QString& filter) {
    return Remember(QFileDialog::getOpenFileName(Owner(), caption, LastFolder(), filter));
}

QString TQtUserSeam::SaveFileName(const QString& caption, const QString& defaultName,
                                  const QString& filter) {
    return Remember(QFileDialog::getSaveFileName(Owner(), caption,
                                                 QDir(LastFolder()).filePath(defaultName), filter));
}

QString TQtUserSeam::LastFolder() const {
    return lastFolder_.isEmpty() ? QDir::homePath() : lastFolder_;
}

QString TQtUserSeam::Remember(const QString& file) {
    if (!file.isEmpty())
        lastFolder_ = QFileInfo(file).absolutePath();
    return file;
}

// Without a file browser the user is at least told where the output is.
void TQtUserSeam::OpenFolder(const QString& path) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        Message(QStringLiteral("无法打开文件夹: ") + Printable(path));
}

void TQtUserSeam::OpenUrl(const QUrl& url) {
    QDesktopServices::openUrl(url);
}
