#pragma once

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "TestModel.h"
#include "ClassDAO.h"
#include "DbHelper.h"
#include "MainForm.h"
#include "MemberDAO.h"
#include "ProjectDAO.h"
#include "RunPipeline.h"
#include "ScriptedSeam.h"

// Gives widget the keyboard focus, its window activated first as the offscreen platform does
// once events are processed.
inline void MoveFocusTo(QWidget& widget) {
    QCoreApplication::processEvents();
    widget.setFocus();
    ASSERT_TRUE(widget.hasFocus());
}

// Triggers a menu action as the user does: only when it is there, shown and enabled (a test
// that finds it disabled fails instead of running its handler).
inline void Trigger(QAction* action) {
    ASSERT_NE(action, nullptr);
    ASSERT_TRUE(action->isEnabled()) << action->text().toStdString() << " is disabled";
    ASSERT_TRUE(action->isVisible()) << action->text().toStdString() << " is hidden";
    action->trigger();
}

// Each test has a database and a program folder of its own, a scripted seam,
// and a main window created on first use.
class UiTest : public ::testing::Test {
protected:
    UiTest() { TDbHelper::SetDatabaseFile(dir_.filePath("projects.db")); }
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    TFormMain& Form() {
        if (!form_)
            form_ = std::make_unique<TFormMain>(&seam_, dir_.path());
        return *form_;
    }

    // Dialogs of type T are shown without blocking and handed to drive; any
    // other dialog fails the test.
    template <class T> void OnDialog(std::function<void(T&)> drive) {
        Form().SetModalHook([this, drive](QDialog& dialog) {
            ++dialogsShown_;
            auto* typed = dynamic_cast<T*>(&dialog);
            ASSERT_NE(typed, nullptr) << "unexpected dialog " << dialog.windowTitle().toStdString();
            dialog.show();
            drive(*typed);
            dialogLeftOpen_ = dialog.isVisible();
        });
    }

    static int AddProject(const QString& name) { return TestModel::AddProject(name); }

    static int AddClass(int projectId, const QString& name, const QString& friendName = "友好") {
        return TestModel::AddClass(projectId, name, friendName);
    }

    static int AddMember(TMember member) { return TestModel::AddMember(member); }

    static TMember Member(int projectId, int classId, const QString& name, const QString& type) {
        return NewMember(projectId, classId, name, type);
    }

    static int Count(const QString& sql) { return TDbHelper().QueryInteger(sql); }
    static void Execute(const QString& sql) { TDbHelper().ExecuteCommand(sql); }

    QStringList Projects() {
        QStringList names;
        for (int i = 0; i < Form().CB_Project->count(); ++i)
            names << Form().CB_Project->itemText(i);
        return names;
    }

    QStringList Classes() {
        QStringList names;
        for (int i = 0; i < Form().LB_Object->count(); ++i)
            names << Form().LB_Object->item(i)->text();
        return names;
    }

    // One column of the member table, top to bottom.
    QStringList MemberColumn(int column) {
        QStringList texts;
        for (int row = 0; row < Form().LV_Member->rowCount(); ++row)
            texts << Form().LV_Member->item(row, column)->text();
        return texts;
    }

    void SelectProject(int index) {
        Form().CB_Project->setCurrentIndex(index);
        Form().CB_ProjectChange();
    }

    void SelectMemberRow(int row) { Form().LV_Member->selectRow(row); }

    // The files a run of the project would write now: the count of its plan, from the run's
    // own input and build (RunPipeline), in this test's folder with the window's package name.
    int PlannedFiles(qint64 projectId, const QString& projectName) {
        TGenerationSettings settings;
        settings.rootDir = dir_.path();
        settings.projectId = projectId;
        settings.projectName = projectName;
        settings.packageName = Form().packageName;
        return RunPipeline::PlannedFiles(
            RunPipeline::BuildProject(RunPipeline::ReadRunInput(settings)));
    }

    // Triggers a model file command and runs the event loop until it has ended: its work runs
    // on the window's busy runner, and the command goes on once that work has ended.
    void RunCommand(QAction* action) {
        Trigger(action);
        ASSERT_TRUE(WaitFor([this] { return !Form().ModelFileBusy(); }));
    }

    // Runs the event loop until done() holds; false on time-out.
    static bool WaitFor(const std::function<bool()>& done, int milliseconds = 20000) {
        QDeadlineTimer deadline(milliseconds);
        while (!done()) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(5);
        }
        return true;
    }

    QTemporaryDir dir_;
    TScriptedSeam seam_;
    std::unique_ptr<TFormMain> form_;
    int dialogsShown_ = 0;
    bool dialogLeftOpen_ = false;
};
