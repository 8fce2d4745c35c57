#include "ProgressLog.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

QString LeftOutText(int count) {
    return QStringLiteral("(前面的%1行已省略)").arg(count);
}

// No undo history: it would keep every line ever shown.
TProgressLog::TProgressLog(QPlainTextEdit* edit, int maxLines) : edit_(edit), maxLines_(maxLines) {
    edit_->setUndoRedoEnabled(false);
}

void TProgressLog::Clear() {
    edit_->clear();
    leftOut_ = 0;
}

void TProgressLog::Append(const QStringList& lines) {
    if (lines.isEmpty())
        return;
    if (lines.size() >= maxLines_ && Lines() + lines.size() > maxLines_)
        Replace(lines);
    else
        edit_->appendPlainText(lines.join('\n'));
    if (Lines() > maxLines_)
        DropFirst(Lines() - maxLines_);
    ShowLast();
}

// The log becomes the last lines of a batch that overfills it alone.
void TProgressLog::Replace(const QStringList& lines) {
    leftOut_ += Lines() + int(lines.size()) - maxLines_;
    QStringList shown = lines.mid(lines.size() - maxLines_);
    shown.prepend(LeftOutText(leftOut_));
    edit_->setPlainText(shown.join('\n'));
}

// Lines of the run held now, without the note.
int TProgressLog::Lines() const {
    const QTextDocument* document = edit_->document();
    if (document->isEmpty())
        return 0;
    return document->blockCount() - (leftOut_ > 0 ? 1 : 0);
}

// Removes the first count lines of the run and writes the note in their place.
void TProgressLog::DropFirst(int count) {
    QTextDocument* document = edit_->document();
    const bool hadNote = leftOut_ > 0;
    leftOut_ += count;
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    cursor.setPosition(document->findBlockByNumber(hadNote ? 1 : 0).position());
    cursor.setPosition(document->findBlockByNumber(count + (hadNote ? 1 : 0)).position(),
                       QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    cursor.movePosition(QTextCursor::Start);
    if (hadNote)
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(hadNote ? LeftOutText(leftOut_) : LeftOutText(leftOut_) + '\n');
    cursor.endEditBlock();
}

void TProgressLog::ShowLast() {
    QScrollBar* bar = edit_->verticalScrollBar();
    bar->setValue(bar->maximum());
}
