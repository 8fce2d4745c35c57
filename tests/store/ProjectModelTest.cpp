#include "ProjectModel.h"
#include "ClassDAO.h"
#include "ProjectDAO.h"
#include "StoreTestSupport.h"

namespace {

QList<qint64> Ids(TResultSetPtr rows) {
    QList<qint64> ids;
    for (rows->First(); !rows->Eof(); rows->Next())
        ids << rows->AsInteger("memberId");
    return ids;
}

QList<qint64> Ids(const QList<TMember>& members) {
    QList<qint64> ids;
    for (const TMember& m : members)
        ids << m.memberId;
    return ids;
}

qint64 Id(const std::optional<TMember>& member) {
    return member ? member->memberId : -1;
}

} // namespace

class ProjectModelTest : public StoreTest {
protected:
    int AddProject(const QString& name) { return TestModel::AddProject(name); }
    int AddClass(int projectId, const QString& name) {
        return TestModel::AddClass(projectId, name, name + "类");
    }
};

// Members of the classes are added interleaved, a class name is used twice, one class has no
// members, and another project shares a class name: the snapshot holds the store's rows in
// the store's order, and its look-ups pick from them.
TEST_F(ProjectModelTest, LookUpsGiveTheStoresRowsInTheStoresOrder) {
    const int project = AddProject("P");
    const int other = AddProject("Q");
    const int book = AddClass(project, "Book");
    const int type = AddClass(project, "BookType");
    const int empty = AddClass(project, "Empty");
    const int twin = AddClass(project, "Book");
    const int foreign = AddClass(other, "BookType");
    AddMember(project, type, "typeId", "整型", 1, 0);
    AddMember(project, book, "barcode", "字符串", 1, 0, 1);
    AddMember(project, type, "typeName", "字符串", 0, 1, 1);
    AddMember(project, book, "bookType", "BookType", 0, 0, 1);
    AddMember(project, book, "title", "字符串", 0, 1, 1);
    AddMember(project, book, "secondType", "BookType", 0, 0, 0);
    AddMember(project, twin, "twinKey", "整型", 1, 1);
    AddMember(project, book, "price", "浮点型");
    AddMember(project, book, "ghost", "Ghost", 0, 0, 1);
    AddMember(other, foreign, "foreignKey", "整型", 1, 1);

    const TProjectModel model = ReadProjectModel(project);
    ASSERT_EQ(model.Classes().size(), 4);
    EXPECT_EQ(model.Classes().size(), TClassDAO().ListClasses(project).size());
    EXPECT_EQ(model.Classes()[2].classId, empty);
    EXPECT_EQ(model.Classes()[0].friendName, "Book类");
    TMemberDAO store;
    for (const TClassModel& c : model.Classes()) {
        SCOPED_TRACE(c.classId);
        EXPECT_EQ(Ids(c.members), Ids(store.OpenClassMembers(c.classId)));
    }
    // Member ids: 1 typeId, 3 typeName (BookType); 2 barcode, 4 bookType, 5 title,
    // 6 secondType, 8 price, 9 ghost (Book); 7 twinKey (the second Book).
    const TClassModel& first = model.Classes()[0];
    EXPECT_EQ(Ids(first.NonKeyMembers()), QList<qint64>({4, 5, 6, 8, 9}));
    EXPECT_EQ(Ids(first.QueryMembers()), QList<qint64>({2, 4, 5, 9}));
    EXPECT_EQ(Ids(first.ReferenceMembers()), QList<qint64>({4, 6, 9}));
    EXPECT_EQ(Id(first.KeyMember()), 2);
    EXPECT_EQ(Id(model.Classes()[1].KeyMember()), 1);
    EXPECT_EQ(Ids(model.Classes()[1].QueryMembers()), QList<qint64>({3}));
    EXPECT_TRUE(model.Classes()[2].members.isEmpty());
    EXPECT_EQ(Id(model.Classes()[3].KeyMember()), 7);
    EXPECT_EQ(Id(model.KeyMemberOfClass("Book")), 2);
    EXPECT_EQ(Id(model.KeyMemberOfClass("BookType")), 1);
    EXPECT_EQ(Id(model.KeyMemberOfClass("Empty")), -1);
    EXPECT_EQ(Id(model.KeyMemberOfClass("Ghost")), -1);
    EXPECT_EQ(model.FindClass("Book")->classId, book);
    EXPECT_EQ(model.Classes()[0].members[1].memberType, "BookType");
}

TEST_F(ProjectModelTest, CountsOfKeyAndDisplayMembers) {
    const int project = AddProject("P");
    const int c = AddClass(project, "A");
    AddMember(project, c, "a", "整型", 1, 1);
    AddMember(project, c, "b", "整型", 1, 0);
    const TProjectModel model = ReadProjectModel(project);
    EXPECT_EQ(model.Classes()[0].CountKeyMembers(), 2);
    EXPECT_EQ(model.Classes()[0].CountDisplayMembers(), 1);
    EXPECT_TRUE(ReadProjectModel(project + 1).Classes().isEmpty());
}

namespace {

const qint64 kBigProject = 3000000000;
const qint64 kBigClass = 4294967297; // 2^32 + 1
const qint64 kBigValue = (qint64(1) << 32) + 1;

// A project, class and members whose keys and values need more than 32 bits, written as a
// hand-edited database holds them.
void AddBigRows(qint64 titleLength) {
    TDbHelper db;
    db.ExecuteCommand("insert into t_project(projectId,projectName) values (?,'Big')",
                      {kBigProject});
    db.ExecuteCommand("insert into t_class(classId,projectId,className,friendName) "
                      "values (?,?,'Book','书')",
                      {kBigClass, kBigProject});
    const QString member =
        "insert into t_member(memberId,projectId,classId,memberName,memberType,memberLength,"
        "memberIsPri,memberComment,memberIsMust,memberIsInteger,memberIsFloat,queryFlag,"
        "memberIsDisplay,memberQueryDisplay) values (?,?,?,?,?,?,?,'',?,?,0,?,?,?)";
    db.ExecuteCommand(member,
                      {kBigClass + 1, kBigProject, kBigClass, "id", "整型", 0, 1, 1, 1, 0, 1, 1});
    db.ExecuteCommand(member,
                      {kBigClass + 2, kBigProject, kBigClass, "title", "字符串", titleLength,
                       kBigValue, kBigValue, 0, kBigValue, kBigValue, kBigValue});
}

} // namespace

// Keys are read whole, and a flag is set only when it is 1, not when its low 32 bits are.
TEST_F(ProjectModelTest, KeysAndFlagsBeyond32BitsAreReadWhole) {
    AddBigRows(20);
    const TProjectList projects = TProjectDAO().ListProjects();
    ASSERT_EQ(projects.size(), 1);
    EXPECT_EQ(projects[0].projectId, kBigProject);
    ASSERT_EQ(TClassDAO().ListClasses(kBigProject).size(), 1);
    EXPECT_EQ(TClassDAO().ListClasses(kBigProject)[0].classId, kBigClass);

    const TProjectModel model = ReadProjectModel(kBigProject);
    ASSERT_EQ(model.Classes().size(), 1);
    const TClassModel& book = model.Classes()[0];
    EXPECT_EQ(book.classId, kBigClass);
    ASSERT_EQ(book.members.size(), 2);
    const TMember& title = book.members[1];
    EXPECT_EQ(title.memberId, kBigClass + 2);
    EXPECT_EQ(title.memberIsPri, kBigValue);
    EXPECT_EQ(Id(book.KeyMember()), kBigClass + 1);
    EXPECT_EQ(Id(book.DisplayMember()), kBigClass + 1);
    EXPECT_EQ(book.CountKeyMembers(), 1);
    EXPECT_EQ(book.CountDisplayMembers(), 1);
    EXPECT_TRUE(book.QueryMembers().isEmpty());
    EXPECT_EQ(model.KeyMemberOfClass("Book")->memberName, "id");
    EXPECT_EQ(TMemberDAO().GetMember(kBigClass + 2)->memberQueryDisplay, kBigValue);
}

// A length the generated code cannot declare (a Java int) is refused where the model is read
// and where a member is stored; the largest one is accepted.
TEST_F(ProjectModelTest, LengthBeyondAnIntIsAnErrorNamingTheMember) {
    AddBigRows(kBigValue);
    EXPECT_EQ(ErrorOf([] { ReadProjectModel(kBigProject); }),
              "类Book的成员title的长度4294967297超出范围: 长度不能大于2147483647");
    // The stored value is shown whole, so that it can be corrected.
    EXPECT_EQ(TMemberDAO().GetMember(kBigClass + 2)->memberLength, kBigValue);
    TDbHelper().ExecuteCommand("update t_member set memberLength=-3000000000");
    EXPECT_EQ(ErrorOf([] { ReadProjectModel(kBigProject); }),
              "类Book的成员id的长度-3000000000超出范围: 长度不能小于-2147483648");

    TMember m = NewMember(0, 0, "na\tme", "字符串");
    m.projectId = kBigProject;
    m.classId = kBigClass;
    m.memberLength = kBigValue;
    const QString refusal = "类Book的成员na\\tme的长度4294967297超出范围: 长度不能大于2147483647";
    EXPECT_EQ(ErrorOf([&] { TMemberDAO().AddMember(m); }), refusal);
    m.memberId = kBigClass + 1;
    EXPECT_EQ(ErrorOf([&] { TMemberDAO().UpdateMember(m); }), refusal);
    EXPECT_EQ(Count("select count(*) from t_member where memberName='na\tme'"), 0);
    m.memberLength = 2147483647;
    TMemberDAO().UpdateMember(m);
    EXPECT_EQ(TMemberDAO().GetMember(kBigClass + 1)->memberLength, 2147483647);
}
