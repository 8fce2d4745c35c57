#include <gtest/gtest.h>

#include "Printable.h"

TEST(PrintableTest, EscapesWhatCouldCutOrBendAMessageAndKeepsTheRest) {
    const QString name = QString("a") + QChar(0) + "b\tc\nd\re" + QChar(0x1B) + QChar(0x7F) +
                         QChar(0x85) + QChar(0x202E) + QChar(0x2028) + "图书_$";
    EXPECT_EQ(Printable(name), "a\\0b\\tc\\nd\\re\\x1b\\x7f\\x85\\u202e\\u2028图书_$");
    EXPECT_EQ(Printable("Book 图书 \\x"), "Book 图书 \\x");
    EXPECT_EQ(Printable(QString()), "");
}
