#include <QPlainTextEdit>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "ProgressLog.h"
#include "ScriptedSeam.h"

namespace {

QStringList Numbered(int from, int to) {
    QStringList lines;
    for (int i = from; i <= to; ++i)
        lines << QString("line %1").arg(i);
    return lines;
}

QStringList Shown(const QPlainTextEdit& edit) {
    return edit.toPlainText().split('\n');
}

} // namespace

TEST(ProgressLogTest, KeepsTheLastLinesAndSaysHowManyWereLeftOut) {
    QPlainTextEdit edit;
    TProgressLog log(&edit, 5);
    log.Append(Numbered(1, 3));
    EXPECT_EQ(Shown(edit), Numbered(1, 3));
    log.Append({});
    EXPECT_EQ(Shown(edit), Numbered(1, 3));
    log.Append(Numbered(4, 6));
    EXPECT_EQ(Shown(edit), QStringList({"(前面的1行已省略)"}) + Numbered(2, 6));
    log.Append(Numbered(7, 8));
    EXPECT_EQ(Shown(edit), QStringList({"(前面的3行已省略)"}) + Numbered(4, 8));
    // A batch longer than the log replaces it.
    log.Append(Numbered(9, 20));
    EXPECT_EQ(Shown(edit), QStringList({"(前面的15行已省略)"}) + Numbered(16, 20));
    EXPECT_EQ(log.LeftOut(), 15);
    log.Append(Numbered(21, 21));
    EXPECT_EQ(Shown(edit), QStringList({"(前面的16行已省略)"}) + Numbered(17, 21));
    // Cleared, it counts afresh; no undo history keeps what was removed.
    log.Clear();
    EXPECT_TRUE(edit.toPlainText().isEmpty());
    log.Append(Numbered(1, 5));
    EXPECT_EQ(Shown(edit), Numbered(1, 5));
    EXPECT_FALSE(edit.document()->isUndoAvailable());
}

TEST(ProgressLogTest, ShowsTheLastLine) {
    QPlainTextEdit edit;
    edit.resize(200, 100);
    edit.show();
    TProgressLog log(&edit, 100);
    for (int i = 0; i < 10; ++i)
        log.Append(Numbered(i * 30, i * 30 + 29));
    const QScrollBar* bar = edit.verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
}
