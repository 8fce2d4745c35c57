#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <atomic>
#include <thread>

#include "ClassDAO.h"
#include "MemberDAO.h"
#include "ProjectDAO.h"
#include "ProjectModel.h"
#include "StoreTestSupport.h"
#include "WriteProtect.h"

using DbHelperTest = StoreTest;

TEST_F(DbHelperTest, CreatesMissingFileWithTheThreeTables) {
    TDbHelper db;
    EXPECT_EQ(db.QueryInteger("select count(*) from sqlite_master where type='table' and "
                              "name in ('t_project','t_class','t_member')"),
              3);
    EXPECT_TRUE(QFile::exists(dir_.filePath("projects.db")));
    EXPECT_EQ(db.QueryText("pragma journal_mode"), "wal");
}

// A database of the first version gets the later columns when opened: no database names, keys
// the database numbers; the added flag is then stored like the others.
TEST_F(DbHelperTest, FirstVersionDatabaseGetsTheLaterColumns) {
    const QString file = dir_.filePath("first/projects.db");
    ASSERT_TRUE(QDir().mkpath(dir_.filePath("first")));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "first-version");
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        for (const char* statement :
             {"create table t_project(projectId integer primary key autoincrement, "
              "projectName text)",
              "create table t_class(classId integer primary key autoincrement, "
              "projectId integer, className text, friendName text)",
              "create table t_member(memberId integer primary key autoincrement, "
              "projectId integer, classId integer, memberName text, memberType text, "
              "memberLength integer, memberIsPri integer, memberComment text, "
              "memberIsMust integer, memberIsInteger integer, memberIsFloat integer, "
              "queryFlag integer, memberIsDisplay integer, memberQueryDisplay integer)",
              "insert into t_project values (1, 'music')",
              "insert into t_class values (1, 1, 'Genre', 'Genre')",
              "insert into t_member values (1, 1, 1, 'genreId', '整型', 0, 1, '', 1, 1, 0, 0, "
              "1, 1)"})
            ASSERT_TRUE(QSqlQuery(db).exec(statement)) << statement;
        db.close();
    }
    QSqlDatabase::removeDatabase("first-version");
    TDbHelper::SetDatabaseFile(file);
    const TProjectModel model = ReadProjectModel(1);
    ASSERT_EQ(model.Classes().size(), 1);
    EXPECT_EQ(model.Classes()[0].tableName, "");
    TMember key = model.Classes()[0].members.value(0);
    EXPECT_EQ(key.columnName, "");
    EXPECT_EQ(key.keyAssigned, 0);
    key.keyAssigned = 1;
    TMemberDAO().UpdateMember(key);
    EXPECT_EQ(TMemberDAO().GetMember(1)->keyAssigned, 1);
    EXPECT_EQ(key.memberScale, 0);
    key.memberType = MemberTypes::Decimal;
    key.memberScale = 4;
    TMemberDAO().UpdateMember(key);
    EXPECT_EQ(TMemberDAO().GetMember(1)->memberScale, 4);
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

// Every store of the thread writes inside its transaction: committed together, or rolled back
// together when an exception leaves the scope.
TEST_F(DbHelperTest, TransactionsCommitOrRollBackEveryStoreOfTheThread) {
    try {
        TTransaction transaction;
        const qint64 project = TProjectDAO().AddProject("dropped");
        TClassDAO().AddClass(project, "Book", "书");
        throw TDbError("stop");
    } catch (const TDbError& error) {
        EXPECT_EQ(error.Message(), "stop");
    }
    EXPECT_TRUE(TProjectDAO().ListProjects().isEmpty());
    EXPECT_EQ(TDbHelper().QueryInteger("select count(*) from t_class"), 0);
    {
        TTransaction transaction;
        TProjectDAO().AddProject("kept");
        transaction.Commit();
    }
    ASSERT_EQ(TProjectDAO().ListProjects().size(), 1);
    EXPECT_EQ(TProjectDAO().ListProjects()[0].projectName, "kept");
}

TEST_F(DbHelperTest, InsertsReturnTheNewId) {
    const qint64 first = TProjectDAO().AddProject("a");
    const qint64 second = TProjectDAO().AddProject("b");
    EXPECT_EQ(second, first + 1);
    EXPECT_EQ(TProjectDAO().FindProjects("b").value(0).projectId, second);
    const qint64 book = TClassDAO().AddClass(second, "Book", "");
    EXPECT_EQ(TClassDAO().GetClassId(second, "Book"), book);
    TMember m = NewMember(int(second), int(book), "title", "字符串");
    const qint64 member = TMemberDAO().AddMember(m);
    EXPECT_EQ(TDbHelper().QueryInteger("select memberId from t_member where memberName='title'"),
              member);
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

namespace {

const QString kReadOnly = "数据库是只读的, 无法保存修改: ";

// Every kind of write a store makes, each with the message it fails with.
QStringList WriteErrors() {
    TProjectDAO projects;
    return {ErrorOf([&] { projects.AddProject("new"); }),
            ErrorOf([&] { projects.RenameProject(1, "renamed"); }),
            ErrorOf([&] { projects.DeleteProject(1); })};
}

} // namespace

// The user's own journal mode or ours: a file without write permission is read as it is, and
// nothing is created beside it.
TEST_F(DbHelperTest, WriteProtectedFileIsReadAsItIsAndOnlyWritesFail) {
    for (const QString mode : {"wal", "delete"}) {
        SCOPED_TRACE(mode.toStdString());
        TProjectDAO().AddProject("kept " + mode);
        TDbHelper().QueryText("pragma journal_mode=" + mode);
        const QString file = UseCopyIn("ro-" + mode);
        const TWriteProtect protect(file);
        const QByteArray before = FileBytes(file);
        // The file format's versions tell the journal mode: 2 for WAL, 1 for a rollback journal.
        ASSERT_EQ(before.mid(18, 2), QByteArray(2, mode == "wal" ? 2 : 1));

        ASSERT_EQ(TProjectDAO().ListProjects().last().projectName, "kept " + mode);
        EXPECT_EQ(WriteErrors(), QStringList(3, kReadOnly + file));
        EXPECT_EQ(FileBytes(file), before);
        EXPECT_EQ(FolderEntries(QFileInfo(file).path()), QStringList({"projects.db"}));
        TDbHelper::SetDatabaseFile(dir_.filePath("projects.db"));
    }
}

TEST_F(DbHelperTest, FileInAWriteProtectedFolderIsReadOnly) {
    TProjectDAO().AddProject("kept");
    const QString file = UseCopyIn("ro");
    const TWriteProtect protect(QFileInfo(file).path());
    EXPECT_EQ(TProjectDAO().CountProjectsByName("kept"), 1);
    EXPECT_EQ(WriteErrors(), QStringList(3, kReadOnly + file));
    EXPECT_EQ(FolderEntries(QFileInfo(file).path()), QStringList({"projects.db"}));
}

// A writer that opened the file before it was protected goes on writing; a reader opened after
// sees what it committed, not yet copied from the log into the file.
TEST_F(DbHelperTest, ReaderOfAProtectedFileSeesWhatItsWriterCommitsMeanwhile) {
    const QString file = dir_.filePath("projects.db");
    TProjectDAO().AddProject("before");
    const TWriteProtect protect(file);
    TProjectDAO().AddProject("while protected");
    QStringList seen;
    QString writeError;
    std::thread reader([&] {
        for (const TProjectEntry& project : TProjectDAO().ListProjects())
            seen << project.projectName;
        writeError = ErrorOf([] { TProjectDAO().AddProject("from reader"); });
    });
    reader.join();
    EXPECT_EQ(seen, QStringList({"before", "while protected"}));
    EXPECT_EQ(writeError, kReadOnly + file);
}

TEST_F(DbHelperTest, MissingFileIsCreatedOnlyWhereAllowed) {
    const QString file = dir_.filePath("projects.db");
    TDbHelper::SetDatabaseFile(file, false);
    EXPECT_EQ(ErrorOf([] { TProjectDAO().ListProjects(); }), "没有找到数据库: " + file);
    EXPECT_EQ(ErrorOf([] { TProjectDAO().AddProject("x"); }), "没有找到数据库: " + file);
    EXPECT_FALSE(QFileInfo::exists(file));
    TDbHelper::SetDatabaseFile(file);
    TProjectDAO().AddProject("created");
    TDbHelper::SetDatabaseFile(file, false); // an existing file is read and written as usual
    TProjectDAO().AddProject("second");
    EXPECT_EQ(TProjectDAO().ListProjects().size(), 2);
}

// Folder names that mean something in a URI are taken as they are.
TEST_F(DbHelperTest, FolderNamesWithUriCharactersAreOpenedAsNamed) {
    const QString folder = dir_.filePath("a ?#%3F&mode=ro 目录");
    ASSERT_TRUE(QDir().mkpath(folder));
    TDbHelper::SetDatabaseFile(folder + "/projects.db");
    TProjectDAO().AddProject("p");
    EXPECT_EQ(TProjectDAO().CountProjectsByName("p"), 1);
    EXPECT_TRUE(QFileInfo::exists(folder + "/projects.db"));
    EXPECT_FALSE(QFileInfo::exists(dir_.filePath("a ")));
}

// The class look-ups by project and name (one per class stored by an import) and the member
// look-ups by class (the model's read joins them) use indexes, in a new database and in one
// made before the indexes existed.
TEST_F(DbHelperTest, ClassAndMemberLookUpsUseIndexes) {
    const auto plan = [] {
        QString details;
        for (const char* sql :
             {"select classId from t_class where projectId=1 and className='A'",
              "select c.classId, m.* from t_class c left join t_member m on m.classId = "
              "c.classId where c.projectId = 1 order by c.classId, m.memberId"}) {
            const TResultSetPtr rows =
                TDbHelper().OpenQuery("explain query plan " + QString::fromLatin1(sql));
            for (rows->First(); !rows->Eof(); rows->Next())
                details += rows->AsText("detail") + ";";
        }
        return details;
    };
    const auto indexed = [&plan] {
        const QString details = plan();
        return details.contains("SEARCH c USING COVERING INDEX t_class_project_name") &&
               details.contains("SEARCH m USING INDEX t_member_class") && !details.contains("SCAN");
    };
    EXPECT_TRUE(indexed()) << plan().toStdString();

    const QString older = dir_.filePath("older.db");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "older");
        db.setDatabaseName(older);
        ASSERT_TRUE(db.open());
        ASSERT_TRUE(QSqlQuery(db).exec("create table t_class(classId integer primary key "
                                       "autoincrement, projectId integer, className text, "
                                       "friendName text)"));
        ASSERT_TRUE(QSqlQuery(db).exec("create table t_member(memberId integer primary key "
                                       "autoincrement, projectId integer, classId integer)"));
        db.close();
    }
    QSqlDatabase::removeDatabase("older");
    TDbHelper::SetDatabaseFile(older);
    EXPECT_TRUE(indexed()) << plan().toStdString();
}

// A database made before projects had database settings: read-only, the model and the settings
// read as the defaults and nothing is added; writable, it gets the columns when opened.
TEST_F(DbHelperTest, OlderDatabaseReadsTheDefaultDatabaseSettings) {
    const qint64 project = TProjectDAO().AddProject("shop", {TDatabaseKind::PostgreSql, "Users"});
    AddMember(int(project), int(TClassDAO().AddClass(project, "Book", "书", "")), "id", "整型", 1,
              1);
    const QString file = UseCopyIn("older");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "older");
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        for (const char* column : {"databaseKind", "adminTable"})
            ASSERT_TRUE(QSqlQuery(db).exec(QString("alter table t_project drop column ") + column));
        db.close();
    }
    QSqlDatabase::removeDatabase("older");
    const auto reopen = [&file, this] { // the thread's connection moves, closing the copy's
        TDbHelper::SetDatabaseFile(dir_.filePath("projects.db"));
        TDbHelper().QueryText("select 1");
        TDbHelper::SetDatabaseFile(file);
    };
    {
        const TWriteProtect protect(file);
        reopen();
        const TProjectModel model = ReadProjectModel(project);
        ASSERT_EQ(model.Classes().size(), 1);
        EXPECT_TRUE(model.Database().IsDefault());
        EXPECT_TRUE(TProjectDAO().ReadDatabase(project).IsDefault());
        EXPECT_FALSE(TDbHelper().HasColumn("t_project", "adminTable"));
    }
    reopen();
    EXPECT_TRUE(TDbHelper().HasColumn("t_project", "databaseKind"));
    TProjectDAO().SetDatabase(project, {TDatabaseKind::PostgreSql, {}});
    EXPECT_EQ(ReadProjectModel(project).Database(),
              (TProjectDatabase{TDatabaseKind::PostgreSql, {}}));
}
