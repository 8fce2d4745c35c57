#pragma once

#include <QList>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>

#include "TestModel.h"
#include "UserSeam.h"

// One thing shown to the user.
struct TShown {
    QString kind; // message, confirm, input, information, error, open-file, save-file
    QString caption;
    QString text;        // for an input box: its prompt; for a file dialog: its filter
    QString defaultText; // input boxes and save-file dialogs only
};

// Records everything shown and answers from queues filled by the test. A
// question nobody scripted fails the test and is answered with Cancel.
class TScriptedSeam : public TUserSeam {
public:
    void Message(const QString& text) override { Record({"message", kApplicationTitle, text, {}}); }

    bool Confirm(const QString& caption, const QString& text) override {
        questionOpen_ = true;
        questionClosed_ = false;
        Record({"confirm", caption, text, {}});
        questionOpen_ = false;
        if (questionClosed_) {
            if (!confirmAnswers.isEmpty())
                confirmAnswers.removeFirst();
            return false;
        }
        if (!confirmAnswers.isEmpty())
            return confirmAnswers.takeFirst();
        ADD_FAILURE() << "unscripted confirmation: " << text.toStdString();
        return false;
    }

    // An answer of std::nullopt stands for Cancel.
    QString InputBox(const QString& caption, const QString& prompt,
                     const QString& defaultText) override {
        Record({"input", caption, prompt, defaultText});
        std::optional<QString> answer;
        if (!inputAnswers.isEmpty())
            answer = inputAnswers.takeFirst();
        else
            ADD_FAILURE() << "unscripted input box: " << caption.toStdString();
        return answer ? *answer : defaultText;
    }

    void Information(const QString& caption, const QString& text) override {
        Record({"information", caption, text, {}});
    }

    void Error(const QString& message) override { Record({"error", {}, message, {}}); }

    QString OpenFileName(const QString& caption, const QString& filter) override {
        Record({"open-file", caption, filter, {}});
        return TakeFileAnswer(caption);
    }

    QString SaveFileName(const QString& caption, const QString& defaultName,
                         const QString& filter) override {
        Record({"save-file", caption, filter, defaultName});
        return TakeFileAnswer(caption);
    }
    void OpenFolder(const QString& path) override { foldersOpened.append(path); }
    void OpenUrl(const QUrl& url) override { urlsOpened.append(url); }

    // The texts shown, in order, optionally of one kind only.
    QStringList Texts(const QString& kind = QString()) const {
        QStringList texts;
        for (const TShown& item : shown)
            if (kind.isEmpty() || item.kind == kind)
                texts << item.text;
        return texts;
    }

    void Record(const TShown& item) {
        shown.append(item);
        if (onShown)
            onShown(item);
    }

    // The texts shown so far (optionally of one kind only), forgetting all that was shown.
    QStringList TakeTexts(const QString& kind = QString()) {
        QStringList texts = Texts(kind);
        shown.clear();
        return texts;
    }

    // An empty answer stands for Cancel.
    QString TakeFileAnswer(const QString& caption) {
        if (!fileAnswers.isEmpty())
            return fileAnswers.takeFirst();
        ADD_FAILURE() << "unscripted file dialog: " << caption.toStdString();
        return QString();
    }

    // Called with each thing as it is shown.
    // Recorded only while a confirmation is open (onShown of "confirm" may run the events).
    void CloseQuestion() override {
        if (questionOpen_ && !questionClosed_) {
            questionClosed_ = true;
            Record({"close-question", {}, {}, {}});
        }
    }

    std::function<void(const TShown&)> onShown;
    QList<TShown> shown;
    QList<bool> confirmAnswers;
    QList<std::optional<QString>> inputAnswers;
    QStringList fileAnswers; // for both kinds of file dialog
    QStringList foldersOpened;
    QList<QUrl> urlsOpened;

private:
    bool questionOpen_ = false;
    bool questionClosed_ = false;
};
