#pragma once

#include <QStringList>

class QPlainTextEdit;

// The progress log of a text box: keeps the last lines only and says in its first line how
// many earlier ones were left out, so that a large run does not hold every line.
class TProgressLog {
public:
    static const int kMaxLines = 2000;

    explicit TProgressLog(QPlainTextEdit* edit, int maxLines = kMaxLines);

    void Clear();
    // Appends the lines and shows the last one.
    void Append(const QStringList& lines);
    int LeftOut() const { return leftOut_; }

private:
    int Lines() const;
    void Replace(const QStringList& lines);
    void DropFirst(int count);
    void ShowLast();

    QPlainTextEdit* edit_;
    int maxLines_;
    int leftOut_ = 0;
};

// The first line of a log that left out count earlier lines.
QString LeftOutText(int count);
