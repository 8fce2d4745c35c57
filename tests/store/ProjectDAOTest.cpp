#include "ProjectDAO.h"
#include "ClassDAO.h"
#include "StoreTestSupport.h"

using ProjectDAOTest = StoreTest;

TEST_F(ProjectDAOTest, AddCountRenameAndListInKeyOrder) {
    TProjectDAO dao;
    EXPECT_TRUE(dao.ListProjects().isEmpty());
    dao.AddProject("图书管理");
    dao.AddProject("O'Brien's shop");
    dao.AddProject("");
    EXPECT_EQ(dao.CountProjectsByName("图书管理"), 1);
    EXPECT_EQ(dao.CountProjectsByName("O'Brien's shop"), 1);
    EXPECT_EQ(dao.CountProjectsByName("none"), 0);
    dao.RenameProject(1, "O'Brien's shop"); // duplicates are the caller's concern
    EXPECT_EQ(dao.CountProjectsByName("O'Brien's shop"), 2);
    TProjectList list = dao.ListProjects();
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[0].projectId, 1);
    EXPECT_EQ(list[1].projectName, "O'Brien's shop");
    EXPECT_EQ(list[2].projectName, "");
    EXPECT_EQ(list[2].projectId, 3);
}

TEST_F(ProjectDAOTest, DeleteRemovesClassesButLeavesMembers) {
    TProjectDAO projects;
    TClassDAO classes;
    projects.AddProject("a");
    projects.AddProject("b");
    classes.AddClass(1, "Book", "书");
    classes.AddClass(2, "Reader", "读者");
    AddMember(1, 1, "bookId", "整型");
    projects.DeleteProject(1);
    projects.DeleteProject(99); // no such project: nothing happens
    ASSERT_EQ(projects.ListProjects().size(), 1);
    EXPECT_TRUE(classes.ListClasses(1).isEmpty());
    EXPECT_EQ(classes.ListClasses(2).size(), 1);
    EXPECT_EQ(Count("select count(*) from t_member where classId=1"), 1);
}

TEST_F(ProjectDAOTest, KeysAreNeverReusedAfterDelete) {
    TProjectDAO projects;
    TClassDAO classes;
    projects.AddProject("a");
    classes.AddClass(1, "Book", "书");
    AddMember(1, 1, "bookId", "整型");
    projects.DeleteProject(1);
    TMemberDAO().DeleteMember(1);
    projects.AddProject("b");
    classes.AddClass(2, "Book", "书");
    AddMember(2, 2, "bookId", "整型");
    EXPECT_EQ(projects.ListProjects()[0].projectId, 2);
    EXPECT_EQ(classes.ListClasses(2)[0].classId, 2);
    EXPECT_TRUE(TMemberDAO().GetMember(2).has_value());
    EXPECT_FALSE(TMemberDAO().GetMember(1).has_value());
}

TEST_F(ProjectDAOTest, FailedDeleteRaisesAndKeepsTheProject) {
    TProjectDAO projects;
    projects.AddProject("a");
    TDbHelper().ExecuteCommand("drop table t_class");
    EXPECT_THROW(projects.DeleteProject(1), TDbError);
    EXPECT_EQ(projects.CountProjectsByName("a"), 1);
}
