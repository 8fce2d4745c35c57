#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "TestModel.h"
#include "AutoCode.h"
#include "ClassDAO.h"
#include "DbHelper.h"
#include "FileOperate.h"
#include "MemberDAO.h"
#include "ProjectDAO.h"
#include "TextCompare.h"

inline const QByteArray kBom("\xEF\xBB\xBF");

// Collects what a run reports, in order.
class TRecordingListener : public TGenerationListener {
public:
    void OnPlanned(int files) override { planned = files; }
    void OnProgress(const QString& line) override { lines << line; }
    void OnFileWritten(const QString& path) override { written << path; }
    void OnRefused(const TRefusal& refusal) override {
        switch (refusal.kind) {
        case TRefusalKind::PrimaryKey:
            events << "key " + QString::number(refusal.classId);
            classNames << refusal.className;
            return;
        case TRefusalKind::DisplayMember:
            events << "display " + QString::number(refusal.classId);
            classNames << refusal.className;
            return;
        default:
            events << "model " + refusal.message;
        }
    }
    void OnFinished() override { events << "finished"; }
    void OnError(const QString& message) override { events << "error " + message; }

    int planned = -1;
    QStringList lines;
    QStringList events;
    QStringList written;    // the paths OnFileWritten reported
    QStringList classNames; // the classes the key and display checks named
};

// Puts folder first on PATH while it lives: a test's script then stands in for a program
// that the code under test runs.
class TPathFirst {
public:
    explicit TPathFirst(const QString& folder) : old_(qgetenv("PATH")) {
        qputenv("PATH", QFile::encodeName(folder) + ":" + old_);
    }
    ~TPathFirst() { qputenv("PATH", old_); }
    TPathFirst(const TPathFirst&) = delete;
    TPathFirst& operator=(const TPathFirst&) = delete;

private:
    QByteArray old_;
};

// Each test has a root folder of its own: database, templates, bak and output.
class GeneratorTest : public ::testing::Test {
protected:
    GeneratorTest() { TDbHelper::SetDatabaseFile(Path("projects.db")); }
    void SetUp() override { ASSERT_TRUE(root_.isValid()); }

    QString Path(const QString& relative) const { return root_.filePath(relative); }
    bool Exists(const QString& relative) const { return QFileInfo::exists(Path(relative)); }

    void Write(const QString& relative, const QByteArray& bytes) const {
        QDir().mkpath(QFileInfo(Path(relative)).path());
        QFile file(Path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // An executable shell script.
    void WriteScript(const QString& relative, const QByteArray& text) const {
        Write(relative, "#!/bin/sh\n" + text);
        QFile(Path(relative))
            .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // Templates are GBK files.
    void WriteTemplate(const QString& relative, const QString& text) const {
        Write("template/" + relative, TFileOperate::EncodeGbk(text));
    }
    QByteArray Read(const QString& relative) const {
        QFile file(Path(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // The three scaffolding folders, each with a file on top and one in a sub-folder.
    void MakeBak() const {
        for (const char* folder : {".myeclipse", ".settings", "WebRoot"}) {
            Write(QString("bak/%1/top.txt").arg(folder), "top");
            Write(QString("bak/%1/sub/inner.txt").arg(folder), "inner");
        }
        Write("bak/.project", "project");
    }

    static int AddProject(const QString& name) { return TestModel::AddProject(name); }
    static int AddClass(int projectId, const QString& name) {
        return TestModel::AddClass(projectId, name, "类");
    }
    static void AddMember(int projectId, int classId, const QString& name, const QString& type,
                          int isPri = 0, int isDisplay = 0, int length = 0,
                          const QString& comment = "") {
        TMember m = NewMember(projectId, classId, name, type);
        m.memberLength = length;
        m.memberIsPri = isPri;
        m.memberIsDisplay = isDisplay;
        m.memberIsInteger = type == MemberTypes::Integer ? 1 : 0;
        m.memberComment = comment;
        TestModel::AddMember(m);
    }
    // A class whose only member is an integer key that is also its display member.
    static int AddKeyOnlyClass(int projectId, const QString& name) {
        const int classId = AddClass(projectId, name);
        AddMember(projectId, classId, "id", "整型", 1, 1, 0, "编号");
        return classId;
    }

    TRecordingListener Run(int projectId, const QString& project = "P",
                           const QString& package = "pkg") const {
        TRecordingListener listener;
        TAutoCode({root_.path(), projectId, project, package}, &listener).Execute();
        return listener;
    }
    // A run that generates even what the model rules refuse.
    TRecordingListener RunUnchecked(int projectId, const QString& package = "pkg") const {
        TRecordingListener listener;
        TAutoCode({root_.path(), projectId, "P", package, true}, &listener).Execute();
        return listener;
    }

    QTemporaryDir root_;
};
