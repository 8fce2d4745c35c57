#include <QFile>
#include <QSqlDatabase>
#include <atomic>
#include <thread>

#include "ProjectDAO.h"
#include "StoreTestSupport.h"

using DbHelperTest = StoreTest;

TEST_F(DbHelperTest, CreatesMissingFileWithTheThreeTables) {
    TDbHelper db;
    EXPECT_EQ(db.QueryInteger("select count(*) from sqlite_master where type='table' and "
                              "name in ('t_project','t_class','t_member')"),
              3);
    EXPECT_TRUE(QFile::exists(dir_.filePath("projects.db")));
    EXPECT_EQ(db.QueryText("pragma journal_mode"), "wal");
}

TEST_F(DbHelperTest, LookUpsWithoutRowsGiveMinusOneOrEmptyText) {
    TDbHelper db;
    EXPECT_EQ(db.QueryInteger("select projectId from t_project where projectName='x'"), -1);
    EXPECT_EQ(db.QueryText("select projectName from t_project where projectId=5"), "");
    EXPECT_EQ(db.QueryInteger("select count(*) from t_project"), 0);
    EXPECT_EQ(db.GetConnection().connectionName(), TDbHelper().GetConnection().connectionName());
}

TEST_F(DbHelperTest, EngineErrorsAreRaisedWithTheEngineText) {
    TDbHelper db;
    try {
        db.ExecuteCommand("insert into t_nothing values (1)");
        FAIL() << "no error raised";
    } catch (const TDbError& e) {
        EXPECT_TRUE(e.Message().contains("t_nothing")) << e.Message().toStdString();
    }
    EXPECT_THROW(db.OpenQuery("select nothing from t_project"), TDbError);
}

TEST_F(DbHelperTest, UnopenableFileRaises) {
    TDbHelper::SetDatabaseFile(dir_.filePath("no/such/folder/projects.db"));
    EXPECT_THROW(TDbHelper().QueryInteger("select count(*) from t_project"), TDbError);
}

TEST_F(DbHelperTest, FailedBatchRollsBackRunsNothingFurtherAndRaises) {
    TProjectDAO().AddProject("kept");
    TDbHelper db;
    EXPECT_THROW(db.ExecuteBatch({{"insert into t_project(projectName) values ('first')", {}},
                                  {"insert into t_missing values (1)", {}},
                                  {"delete from t_project", {}}}),
                 TDbError);
    TProjectList projects = TProjectDAO().ListProjects();
    ASSERT_EQ(projects.size(), 1);
    EXPECT_EQ(projects[0].projectName, "kept");
    // The connection is usable again and not left inside a transaction.
    db.ExecuteBatch({});
    db.ExecuteCommand("insert into t_project(projectName) values ('after')");
    EXPECT_EQ(TProjectDAO().ListProjects().size(), 2);
}

TEST_F(DbHelperTest, ResultSetReadsTextAndIntegerByName) {
    TProjectDAO().AddProject("工程'一");
    TResultSetPtr rows = TDbHelper().OpenQuery("select * from t_project");
    rows->First();
    ASSERT_FALSE(rows->Eof());
    EXPECT_EQ(rows->AsText("projectId"), "1");
    EXPECT_EQ(rows->AsInteger("PROJECTID"), 1);
    EXPECT_EQ(rows->AsText("projectName"), "工程'一");
    EXPECT_THROW(rows->AsText("nothing"), TDbError);
    rows->Next();
    EXPECT_TRUE(rows->Eof());
}

// A worker thread reads a result set and runs statements while the main
// thread writes; neither sees an error.
TEST_F(DbHelperTest, SecondThreadIteratesWhileMainThreadWrites) {
    for (int i = 0; i < 50; ++i)
        TProjectDAO().AddProject(QString("p%1").arg(i));
    std::atomic<bool> done{false};
    std::atomic<int> rowsSeen{0};
    std::string workerError;
    std::thread worker([&] {
        try {
            for (int round = 0; round < 30; ++round) {
                TResultSetPtr rows = TDbHelper().OpenQuery("select * from t_project");
                for (rows->First(); !rows->Eof(); rows->Next()) {
                    rows->AsText("projectName");
                    TDbHelper().QueryInteger("select count(*) from t_class");
                    ++rowsSeen;
                }
                TProjectDAO().AddProject("from worker");
            }
        } catch (const std::exception& e) {
            workerError = e.what();
        }
        done = true;
    });
    int i = 0;
    while (!done) {
        TProjectDAO().AddProject(QString("main%1").arg(i));
        TDbHelper().ExecuteCommand("delete from t_project where projectName=?",
                                   {QString("main%1").arg(i - 1)});
        ++i;
    }
    worker.join();
    EXPECT_EQ(workerError, "");
    EXPECT_GE(rowsSeen.load(), 30 * 50);
    EXPECT_EQ(TProjectDAO().CountProjectsByName("from worker"), 30);
}
