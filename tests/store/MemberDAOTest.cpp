#include "ClassDAO.h"
#include "StoreTestSupport.h"

using MemberDAOTest = StoreTest;

namespace {

QStringList Names(TResultSetPtr rows) {
    QStringList names;
    for (rows->First(); !rows->Eof(); rows->Next())
        names << rows->AsText("memberName");
    return names;
}

} // namespace

TEST_F(MemberDAOTest, NewRecordIsStoredWithItsDefaults) {
    TMemberDAO().AddMember(TMember());
    TResultSetPtr rows = TDbHelper().OpenQuery("select * from t_member");
    ASSERT_FALSE(rows->Eof());
    for (const char* column :
         {"projectId", "classId", "memberLength", "memberIsPri", "memberIsMust", "memberIsInteger",
          "memberIsFloat", "queryFlag", "memberIsDisplay"})
        EXPECT_EQ(rows->AsText(column), "0") << column;
    EXPECT_EQ(rows->AsText("memberQueryDisplay"), "1");
    for (const char* column : {"memberName", "memberType", "memberComment"})
        EXPECT_EQ(Count(QString("select count(*) from t_member where %1=''").arg(column)), 1)
            << column;
}

TEST_F(MemberDAOTest, AllFieldsRoundTripThroughAddGetAndUpdate) {
    TMember m = NewMember(7, 8, "bookName", "字符串");
    m.memberLength = 35;
    m.memberIsPri = 1;
    m.memberComment = "书名 'quoted' \"text\"";
    m.memberIsMust = 1;
    m.queryFlag = 1;
    m.memberIsDisplay = 1;
    m.memberQueryDisplay = 0;
    TMemberDAO dao;
    dao.AddMember(m);
    std::optional<TMember> got = dao.GetMember(1);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->memberId, 1);
    EXPECT_EQ(got->projectId, 7);
    EXPECT_EQ(got->classId, 8);
    EXPECT_EQ(got->memberName, "bookName");
    EXPECT_EQ(got->memberType, "字符串");
    EXPECT_EQ(got->memberLength, 35);
    EXPECT_EQ(got->memberComment, m.memberComment);
    EXPECT_EQ(got->memberQueryDisplay, 0);

    got->projectId = 99; // never moves to another project or class
    got->classId = 99;
    got->memberType = "整型";
    got->memberIsInteger = 1;
    got->memberLength = 0;
    dao.UpdateMember(*got);
    std::optional<TMember> updated = dao.GetMember(1);
    EXPECT_EQ(updated->projectId, 7);
    EXPECT_EQ(updated->classId, 8);
    EXPECT_EQ(updated->memberIsInteger, 1);
    EXPECT_EQ(updated->memberType, "整型");

    TMember ghost = *updated;
    ghost.memberId = 42;
    dao.UpdateMember(ghost); // no such row: nothing changes, nothing raised
    EXPECT_EQ(Count("select count(*) from t_member"), 1);
    dao.DeleteMember(1);
    EXPECT_FALSE(dao.GetMember(1).has_value());
}

TEST_F(MemberDAOTest, ReferenceQueryAndNonKeySetsInKeyOrder) {
    AddMember(1, 1, "id", "整型", 1, 0, 1);
    AddMember(1, 1, "name", "字符串", 0, 1, 1);
    AddMember(1, 1, "price", "浮点型");
    AddMember(1, 1, "date", "日期型", 0, 0, 1);
    AddMember(1, 1, "category", "Category", 0, 0, 0);
    AddMember(1, 1, "gone", "Deleted", 0, 0, 1);
    AddMember(1, 2, "other", "Category");
    TMemberDAO dao;
    EXPECT_EQ(Names(dao.OpenClassMembers(1)).size(), 6);
    EXPECT_EQ(Names(dao.OpenReferenceMembers(1)), QStringList({"category", "gone"}));
    EXPECT_EQ(Names(dao.OpenQueryMembers(1)), QStringList({"id", "name", "date", "gone"}));
    EXPECT_EQ(Names(dao.OpenNonKeyMembers(1)).first(), "name");
    EXPECT_EQ(Names(dao.OpenNonKeyMembers(1)).size(), 5);
    EXPECT_TRUE(Names(dao.OpenReferenceMembers(3)).isEmpty());
}

TEST_F(MemberDAOTest, KeyAndTypeLookUps) {
    TClassDAO classes;
    classes.AddClass(1, "Teacher", "教师");
    classes.AddClass(1, "Course", "课程");
    classes.AddClass(2, "Teacher", "教师");
    AddMember(1, 1, "teacherNumber", "字符串", 1);
    AddMember(1, 2, "title", "字符串");
    AddMember(1, 2, "teacher", "Teacher");
    AddMember(1, 2, "assistant", "Teacher");
    AddMember(2, 3, "otherKey", "整型", 1);
    TMemberDAO dao;
    EXPECT_EQ(dao.GetKeyMember(1)->memberName, "teacherNumber");
    EXPECT_FALSE(dao.GetKeyMember(2).has_value());
    EXPECT_EQ(dao.GetKeyMemberOfClass(1, "Teacher")->memberName, "teacherNumber");
    EXPECT_EQ(dao.GetKeyMemberOfClass(2, "Teacher")->memberName, "otherKey");
    EXPECT_FALSE(dao.GetKeyMemberOfClass(1, "Nothing").has_value());
    EXPECT_FALSE(dao.GetKeyMemberOfClass(3, "Teacher").has_value());
    EXPECT_EQ(dao.GetMemberOfType(2, "Teacher")->memberName, "teacher");
    EXPECT_FALSE(dao.GetMemberOfType(2, "Student").has_value());
}
