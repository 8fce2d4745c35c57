#include <QList>

#include "ClassDAO.h"
#include "StoreTestSupport.h"

class ClassDAOTest : public StoreTest {
protected:
    TClassDAO classes_;
};

TEST_F(ClassDAOTest, LookUpsAndCountsIncludingMisses) {
    classes_.AddClass(3, "Dept", "部门's");
    classes_.AddClass(3, "Emp", "员工");
    classes_.AddClass(4, "Dept", "部门");
    EXPECT_EQ(classes_.GetClassName(1), "Dept");
    EXPECT_EQ(classes_.GetFriendName(1), "部门's");
    EXPECT_EQ(classes_.GetClassId(4, "Dept"), 3);
    EXPECT_EQ(classes_.GetClassId(3, "None"), -1);
    EXPECT_EQ(classes_.GetClassName(42), "");
    EXPECT_EQ(classes_.GetFriendName(42), "");
    EXPECT_EQ(classes_.CountClassesByName(3, "Dept"), 1);
    EXPECT_EQ(classes_.CountClassesByName(5, "Dept"), 0);
}

TEST_F(ClassDAOTest, ListsComeInKeyOrderAndExcludeTheGivenClass) {
    classes_.AddClass(1, "B", "b");
    classes_.AddClass(2, "X", "x");
    classes_.AddClass(1, "A", "a");
    TClassList list = classes_.ListClasses(1);
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].className, "B");
    EXPECT_EQ(list[1].classId, 3);
    TClassList others = classes_.ListOtherClasses(1, 1);
    ASSERT_EQ(others.size(), 1);
    EXPECT_EQ(others[0].className, "A");
    EXPECT_TRUE(classes_.ListOtherClasses(2, 2).isEmpty());
}

TEST_F(ClassDAOTest, RenameRewritesMemberTypesOfItsProjectOnly) {
    classes_.AddClass(3, "Dept", "部门");
    classes_.AddClass(3, "Emp", "员工");
    classes_.AddClass(4, "Dept", "部门");
    AddMember(3, 2, "dept", "Dept");
    AddMember(3, 2, "name", "字符串");
    AddMember(4, 3, "dept", "Dept");
    classes_.UpdateClass(3, 1, "Department", "大部门");
    EXPECT_EQ(classes_.GetClassName(1), "Department");
    EXPECT_EQ(classes_.GetFriendName(1), "大部门");
    EXPECT_EQ(TMemberDAO().GetMember(1)->memberType, "Department");
    EXPECT_EQ(TMemberDAO().GetMember(2)->memberType, "字符串");
    EXPECT_EQ(TMemberDAO().GetMember(3)->memberType, "Dept");
    // A rename onto a taken name is accepted; look-ups then find the first row.
    classes_.UpdateClass(3, 2, "Department", "员工");
    EXPECT_EQ(classes_.CountClassesByName(3, "Department"), 2);
    EXPECT_EQ(classes_.GetClassId(3, "Department"), 1);
}

TEST_F(ClassDAOTest, DeleteRemovesMembersButNotReferencesToIt) {
    classes_.AddClass(1, "Dept", "部门");
    classes_.AddClass(1, "Emp", "员工");
    AddMember(1, 1, "deptId", "整型", 1);
    AddMember(1, 2, "dept", "Dept");
    classes_.DeleteClass(1);
    EXPECT_EQ(classes_.ListClasses(1).size(), 1);
    EXPECT_FALSE(TMemberDAO().GetMember(1).has_value());
    EXPECT_EQ(TMemberDAO().GetMember(2)->memberType, "Dept");
}

// A trigger makes one of the two statements fail, whichever runs first: neither is kept.
TEST_F(ClassDAOTest, FailedDeleteOrRenameLeavesTheClassAsItWas) {
    classes_.AddClass(1, "Dept", "部门");
    classes_.AddClass(1, "Emp", "员工");
    AddMember(1, 1, "deptId", "整型", 1);
    AddMember(1, 2, "dept", "Dept");
    TDbHelper db;
    for (const char* table : {"t_class", "t_member"}) {
        SCOPED_TRACE(table);
        for (const char* change : {"delete", "update"})
            db.ExecuteCommand(QString("create trigger refuse_%1 before %1 on %2 begin "
                                      "select raise(abort, '%2 stays'); end")
                                  .arg(change, table));
        const QString refusal = QString(table) + " stays";
        EXPECT_EQ(ErrorOf([&] { classes_.DeleteClass(1); }), refusal);
        EXPECT_EQ(ErrorOf([&] { classes_.UpdateClass(1, 1, "Department", "大部门"); }), refusal);
        EXPECT_EQ(classes_.GetClassName(1), "Dept");
        EXPECT_EQ(classes_.GetFriendName(1), "部门");
        EXPECT_EQ(TMemberDAO().GetMember(1)->memberName, "deptId");
        EXPECT_EQ(TMemberDAO().GetMember(2)->memberType, "Dept");
        db.ExecuteCommand("drop trigger refuse_delete");
        db.ExecuteCommand("drop trigger refuse_update");
    }
}

TEST_F(ClassDAOTest, RenameOfAMissingClassChangesNoMemberType) {
    classes_.AddClass(1, "Dept", "部门");
    AddMember(1, 1, "blank", "");
    classes_.UpdateClass(1, 42, "Ghost", "幽灵");
    EXPECT_EQ(TMemberDAO().GetMember(1)->memberType, "");
}
