#include "ProjectModel.h"
#include "ClassDAO.h"
#include "ProjectDAO.h"
#include "StoreTestSupport.h"

namespace {

QList<int> Ids(TResultSetPtr rows) {
    QList<int> ids;
    for (rows->First(); !rows->Eof(); rows->Next())
        ids << rows->AsInteger("memberId");
    return ids;
}

QList<int> Ids(const QList<TMember>& members) {
    QList<int> ids;
    for (const TMember& m : members)
        ids << m.memberId;
    return ids;
}

int Id(const std::optional<TMember>& member) {
    return member ? member->memberId : -1;
}

} // namespace

class ProjectModelTest : public StoreTest {
protected:
    int AddProject(const QString& name) {
        TProjectDAO().AddProject(name);
        return TProjectDAO().ListProjects().last().projectId;
    }
    int AddClass(int projectId, const QString& name) {
        TClassDAO().AddClass(projectId, name, name + "类");
        return TClassDAO().ListClasses(projectId).last().classId;
    }
};

// Members of the classes are added interleaved, a class name is used twice, one class has no
// members, and another project shares a class name: every look-up of the snapshot must give
// what the store gives.
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
    EXPECT_EQ(model.ClassList().size(), TClassDAO().ListClasses(project).size());
    EXPECT_EQ(model.Classes()[2].classId, empty);
    EXPECT_EQ(model.Classes()[0].friendName, "Book类");
    TMemberDAO store;
    for (const TClassModel& c : model.Classes()) {
        SCOPED_TRACE(c.classId);
        EXPECT_EQ(Ids(c.members), Ids(store.OpenClassMembers(c.classId)));
        EXPECT_EQ(Ids(c.NonKeyMembers()), Ids(store.OpenNonKeyMembers(c.classId)));
        EXPECT_EQ(Ids(c.QueryMembers()), Ids(store.OpenQueryMembers(c.classId)));
        EXPECT_EQ(Ids(c.ReferenceMembers()), Ids(store.OpenReferenceMembers(c.classId)));
        EXPECT_EQ(Id(c.KeyMember()), Id(store.GetKeyMember(c.classId)));
        for (const char* word : {"BookType", "字符串", "Ghost", "日期型"})
            EXPECT_EQ(Id(c.MemberOfType(word)), Id(store.GetMemberOfType(c.classId, word)));
    }
    for (const char* name : {"Book", "BookType", "Empty", "Ghost"})
        EXPECT_EQ(Id(model.KeyMemberOfClass(name)), Id(store.GetKeyMemberOfClass(project, name)))
            << name;
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
