#include "ClassDAO.h"
#include "StoreTestSupport.h"

using MemberDAOTest = StoreTest;


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

