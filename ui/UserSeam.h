#pragma once

#include <QString>
#include <QUrl>

// The application's title, the caption of plain messages.
inline const QString kApplicationTitle = QStringLiteral("BrennoquillJava代码生成器2.1版");

// Everything the windows show to or ask of the user goes through here.
class TUserSeam {
public:
    virtual ~TUserSeam() = default;

    // A text with an OK button, captioned with the application's title.
    virtual void Message(const QString& text) = 0;
    // OK/Cancel with an information icon; false only on Cancel or close.
    virtual bool Confirm(const QString& caption, const QString& text) = 0;
    // Closes a confirmation that is still open, as if it was cancelled (its question no longer
    // applies); nothing when none is open.
    virtual void CloseQuestion() = 0;
    // The edited text on OK, the default text on Cancel.
    virtual QString InputBox(const QString& caption, const QString& prompt,
                             const QString& defaultText) = 0;
    // A text with an information icon and an OK button.
    virtual void Information(const QString& caption, const QString& text) = 0;
    // An error reported by an engine, with its own text.
    virtual void Error(const QString& message) = 0;
    // A file to read or to write, chosen by the user; empty when the user cancels. filter as
    // QFileDialog takes it, e.g. "模型文件 (*.json)".
    virtual QString OpenFileName(const QString& caption, const QString& filter) = 0;
    virtual QString SaveFileName(const QString& caption, const QString& defaultName,
                                 const QString& filter) = 0;
    virtual void OpenFolder(const QString& path) = 0;
    virtual void OpenUrl(const QUrl& url) = 0;
};
