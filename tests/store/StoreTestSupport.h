#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>

#include "TestModel.h"
#include "DbHelper.h"
#include "Member.h"
#include "MemberDAO.h"

// The message of the store error that command raises; empty when it raises none.
inline QString ErrorOf(const std::function<void()>& command) {
    try {
        command();
    } catch (const TDbError& e) {
        return e.Message();
    }
    return QString();
}

// Each test works on a database file of its own in a temporary folder.
class StoreTest : public ::testing::Test {
protected:
    // Set before derived fixtures create their stores.
    StoreTest() { TDbHelper::SetDatabaseFile(dir_.filePath("projects.db")); }
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    static void AddMember(int projectId, int classId, const QString& name, const QString& type,
                          int isPri = 0, int isDisplay = 0, int queryFlag = 0) {
        TMember m = NewMember(projectId, classId, name, type);
        m.memberIsPri = isPri;
        m.memberIsDisplay = isDisplay;
        m.queryFlag = queryFlag;
        TestModel::AddMember(m);
    }

    static qint64 Count(const QString& sql) { return TDbHelper().QueryInteger(sql); }

    // Copies the database, with all it holds, to folder/projects.db and points the stores at
    // the copy; returns the copy's path.
    QString UseCopyIn(const QString& folder) {
        TDbHelper().QueryText("pragma wal_checkpoint(TRUNCATE)");
        const QString copy = dir_.filePath(folder + "/projects.db");
        EXPECT_TRUE(QDir().mkpath(dir_.filePath(folder)));
        EXPECT_TRUE(QFile::copy(dir_.filePath("projects.db"), copy));
        TDbHelper::SetDatabaseFile(copy);
        return copy;
    }

    QTemporaryDir dir_;
};
