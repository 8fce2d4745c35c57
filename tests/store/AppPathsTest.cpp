#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "AppPaths.h"
#include "StoreTestSupport.h"
#include "WriteProtect.h"

namespace {

// A temporary folder for program layouts, and a user data folder under it.
class AppPathsTest : public ::testing::Test {
protected:
    AppPathsTest()
        : savedName_(QCoreApplication::applicationName()),
          savedDataHome_(qgetenv("XDG_DATA_HOME")) {
        QCoreApplication::setApplicationName(AppPaths::kApplicationName);
        qputenv("XDG_DATA_HOME", Path("home-data").toLocal8Bit());
    }
    ~AppPathsTest() override {
        QCoreApplication::setApplicationName(savedName_);
        if (savedDataHome_.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", savedDataHome_);
    }
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString Path(const QString& relative) const { return dir_.filePath(relative); }
    QString Make(const QString& relative) const {
        EXPECT_TRUE(QDir().mkpath(Path(relative)));
        return Path(relative);
    }
    QString UserData() const { return Path("home-data/brennoquill"); }

private:
    QTemporaryDir dir_;
    QString savedName_;
    QByteArray savedDataHome_;
};

// Run from a build folder, or from a writable folder holding nothing yet: all stays beside.
TEST_F(AppPathsTest, WritableProgramFolderKeepsEverythingBesideTheExecutable) {
    const QString build = Make("build/bin");
    Make("build/bin/template");
    Make("build/share/brennoquill/template"); // the templates beside it come first
    const TAppPaths paths = AppPaths::ForExecutable(build);
    EXPECT_EQ(paths.resourceDir, build);
    EXPECT_EQ(paths.dataDir, build);
    EXPECT_EQ(paths.DatabaseFile(), build + "/projects.db");
    EXPECT_EQ(paths.TemplateDir(), build + "/template");
    EXPECT_EQ(paths.OutputDir(), build + "/projects");

    const QString bare = Make("bare");
    EXPECT_EQ(AppPaths::ForExecutable(bare).dataDir, bare);
    EXPECT_EQ(AppPaths::ForExecutable(bare).resourceDir, bare);
}

// Templates in the installed data folder: they are read there, the rest goes to the user's
// data folder, even when the executable's folder may be written.
TEST_F(AppPathsTest, InstalledProgramReadsSharedDataAndWritesUserData) {
    const QString bin = Make("prefix/bin");
    Make("prefix/share/brennoquill/template");
    const TAppPaths paths = AppPaths::ForExecutable(bin);
    EXPECT_EQ(paths.resourceDir, Path("prefix/share/brennoquill"));
    EXPECT_EQ(paths.TemplateDir(), Path("prefix/share/brennoquill/template"));
    EXPECT_EQ(paths.dataDir, UserData());
    EXPECT_EQ(paths.DatabaseFile(), UserData() + "/projects.db");
    EXPECT_EQ(paths.OutputDir(), UserData() + "/projects");
    EXPECT_FALSE(QFileInfo::exists(UserData()));
    ASSERT_TRUE(AppPaths::MakeDataDir(paths));
    EXPECT_TRUE(QFileInfo(UserData()).isDir());
    ASSERT_TRUE(AppPaths::MakeDataDir(paths)); // a second start finds it
}

// A program folder that may not be written keeps its templates but not the user's data.
TEST_F(AppPathsTest, ReadOnlyProgramFolderWritesUserData) {
    const QString folder = Make("opt/brennoquill");
    Make("opt/brennoquill/template");
    const TWriteProtect protect(folder);
    const TAppPaths paths = AppPaths::ForExecutable(folder);
    EXPECT_EQ(paths.resourceDir, folder);
    EXPECT_EQ(paths.dataDir, UserData());
}

// A chosen folder holds everything, whatever is installed.
TEST_F(AppPathsTest, RootFolderHoldsEverything) {
    Make("prefix/share/brennoquill/template");
    const QString root = Make("work");
    const TAppPaths paths = AppPaths::ForRoot(root);
    EXPECT_EQ(paths.resourceDir, root);
    EXPECT_EQ(paths.dataDir, root);
    EXPECT_EQ(paths.DatabaseFile(), root + "/projects.db");
}

TEST_F(AppPathsTest, DataFolderThatCannotBeMadeIsReported) {
    QFile file(Path("file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_FALSE(AppPaths::MakeDataDir(AppPaths::ForRoot(Path("file/data"))));
    EXPECT_FALSE(AppPaths::MakeDataDir(TAppPaths{}));
}

} // namespace
