#pragma once

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "../TestModel.h"
#include "DbHelper.h"
#include "Member.h"
#include "MemberDAO.h"

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
        TMemberDAO().AddMember(m);
    }

    static int Count(const QString& sql) { return TDbHelper().QueryInteger(sql); }

    QTemporaryDir dir_;
};
