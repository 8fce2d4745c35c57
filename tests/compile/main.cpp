#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <gtest/gtest.h>

// The set-up leaves this file beside the libraries when Maven could fetch none of them.
const char* const kUnavailable = BRENNOQUILL_JAVALIB "/UNAVAILABLE";

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (QFile::exists(kUnavailable)) {
        std::printf("skipped: the libraries could not be fetched (%s)\n", kUnavailable);
        return BRENNOQUILL_SKIP_CODE;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
