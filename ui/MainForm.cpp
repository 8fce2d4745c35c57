#include "MainForm.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QMovie>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <iterator>

#include "AutoCode.h"
#include "ClassDAO.h"
#include "FormAddClass.h"
#include "FormAddMember.h"
#include "FormUpdateClass.h"
#include "FormUpdateMember.h"
#include "GenerationBridge.h"
#include "Guard.h"
#include "MemberDAO.h"
#include "ModelCheck.h"
#include "Printable.h"
#include "ProjectDAO.h"

static void InitUiResources() {
    Q_INIT_RESOURCE(ui);
}

namespace {

const int kClientWidth = 828;
const int kClientHeight = 547;
const int kBannerHeight = 97;

// A project name a generation run refuses as its output folder name.
const QString kUnsafeProjectName =
    QStringLiteral("工程名称不能为空、不能是\".\"或\"..\"，也不能含有/、\\或控制字符!");

struct TColumn {
    const char* title;
    int width;
};

const TColumn kMemberColumns[] = {
    {"编号", 1},  {"成员名称", 90}, {"成员类型", 80},   {"长度", 50},     {"主键", 50},
    {"必填", 50}, {"参与查询", 60}, {"下拉框显示", 75}, {"界面显示", 80}, {"注释", 120},
};

QString FlagText(qint64 value) {
    return value == 1 ? QStringLiteral("是") : QStringLiteral("否");
}

} // namespace

TFormMain::TFormMain(TUserSeam* seam, const QString& rootDir, QWidget* parent)
    : QMainWindow(parent), seam_(seam),
      rootDir_(rootDir.isEmpty() ? QCoreApplication::applicationDirPath() : rootDir),
      modalHook_([](QDialog& dialog) { dialog.exec(); }) {
    InitUiResources();
    setWindowTitle(kApplicationTitle);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(FormFont());
    auto* client = new QWidget(this);
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);
    CreateBanner(client);
    CreateProjectArea(client);
    CreateMenu();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    move(200, 126);
    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    Timer1->setInterval(5000);
    connect(Timer1, &QTimer::timeout, this, &TFormMain::Timer1Timer);
    Timer1->start();
    FormCreate();
}

TFormMain::~TFormMain() {
    WaitForRuns();
}

void TFormMain::FormCreate() {
    keptProjectIndex = -1;
    packageName = QStringLiteral("brennoquill");
    Guard([this] { LoadProjects(); });
}

void TFormMain::CreateBanner(QWidget* parent) {
    Image1 = new QLabel(parent);
    Image1->setGeometry(0, 0, kClientWidth, kBannerHeight);
    Image1->setScaledContents(true);
    Image1->setCursor(Qt::PointingHandCursor);
    auto* movie = new QMovie(QStringLiteral(":/banner.gif"), QByteArray(), Image1);
    Image1->setMovie(movie);
    movie->start();
    Image1->installEventFilter(this);
}

void TFormMain::CreateProjectArea(QWidget* parent) {
    GroupBox1 = new QGroupBox(QStringLiteral("项目操作区"), parent);
    GroupBox1->setGeometry(0, kBannerHeight, kClientWidth, kClientHeight - kBannerHeight);
    Label1 = new QLabel(QStringLiteral("项目:"), GroupBox1);
    Label1->move(8, 24);
    CB_Project = new QComboBox(GroupBox1);
    CB_Project->setGeometry(36, 18, 121, 22);
    Label2 = new QLabel(QStringLiteral("该项目所有类如下:"), GroupBox1);
    Label2->move(8, 48);
    LB_Object = new QListWidget(GroupBox1);
    LB_Object->setGeometry(8, 64, 153, 241);
    CreateMemberTable();
    GroupBox2 = new QGroupBox(QStringLiteral("生成进度"), GroupBox1);
    GroupBox2->setGeometry(2, GroupBox1->height() - 146, kClientWidth - 4, 144);
    Memo_State = new QPlainTextEdit(GroupBox2);
    Memo_State->setReadOnly(true);
    Memo_State->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_State->setStyleSheet(QStringLiteral("QPlainTextEdit { background: silver; }"));
    auto* memoLayout = new QVBoxLayout(GroupBox2);
    memoLayout->setContentsMargins(2, 2, 2, 2);
    memoLayout->addWidget(Memo_State);
    connect(CB_Project, &QComboBox::activated, this, &TFormMain::CB_ProjectChange);
    connect(LB_Object, &QListWidget::currentRowChanged, this, &TFormMain::LB_ObjectClick);
    connect(LB_Object, &QListWidget::itemDoubleClicked, this, &TFormMain::LB_ObjectDblClick);
}

void TFormMain::CreateMemberTable() {
    LV_Member = new QTableWidget(0, int(std::size(kMemberColumns)), GroupBox1);
    LV_Member->setGeometry(165, 16, 660, 289);
    LV_Member->setShowGrid(true);
    LV_Member->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LV_Member->setSelectionBehavior(QAbstractItemView::SelectRows);
    LV_Member->setSelectionMode(QAbstractItemView::SingleSelection);
    LV_Member->verticalHeader()->hide();
    LV_Member->verticalHeader()->setDefaultSectionSize(20);
    LV_Member->horizontalHeader()->setMinimumSectionSize(1);
    LV_Member->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int i = 0; i < int(std::size(kMemberColumns)); ++i) {
        LV_Member->setHorizontalHeaderItem(
            i, new QTableWidgetItem(QString::fromUtf8(kMemberColumns[i].title)));
        LV_Member->setColumnWidth(i, kMemberColumns[i].width);
    }
    LV_Member->viewport()->installEventFilter(this);
}

void TFormMain::CreateMenu() {
    MainMenu1 = menuBar();
    MenuProject = MainMenu1->addMenu(QStringLiteral("项目操作(&P)"));
    F2 = AddItem(MenuProject, QStringLiteral("新建项目(&F)"), &TFormMain::F2Click);
    N1 = AddItem(MenuProject, QStringLiteral("修改项目名称(&X)"), &TFormMain::N1Click);
    D1 = AddItem(MenuProject, QStringLiteral("删除当前项目(&D)"), &TFormMain::D1Click);
    A2 = AddItem(MenuProject, QStringLiteral("添加类(&A)"), &TFormMain::A2Click);
    N2 = AddItem(MenuProject, QStringLiteral("修改类名(&B)"), &TFormMain::N2Click);
    S1 = AddItem(MenuProject, QStringLiteral("删除类(&S)"), &TFormMain::S1Click);
    M1 = AddItem(MenuProject, QStringLiteral("添加成员(&M)"), &TFormMain::M1Click);
    N3 = AddItem(MenuProject, QStringLiteral("修改成员属性(&E)"), &TFormMain::N3Click);
    C1 = AddItem(MenuProject, QStringLiteral("删除成员(&C)"), &TFormMain::C1Click);
    MenuCode = MainMenu1->addMenu(QStringLiteral("代码管理(&A)"));
    S2 = AddItem(MenuCode, QStringLiteral("设置包名(&S)"), &TFormMain::S2Click);
    A1 = AddItem(MenuCode, QStringLiteral("自动生成代码(&A)"), &TFormMain::A1Click);
}

QAction* TFormMain::AddItem(QMenu* menu, const QString& text, void (TFormMain::*handler)()) {
    QAction* action = menu->addAction(text);
    connect(action, &QAction::triggered, this, handler);
    return action;
}

void TFormMain::SetModalHook(TModalHook hook) {
    modalHook_ = std::move(hook);
}

QUrl TFormMain::HomePage() const {
    return QUrl::fromLocalFile(rootDir_ + QStringLiteral("/help/index.html"));
}

qint64 TFormMain::SelectedProjectId() const {
    return CB_Project->currentIndex() < 0 ? -1 : CB_Project->currentData().toLongLong();
}

qint64 TFormMain::SelectedClassId() const {
    const QListWidgetItem* item = LB_Object->currentItem();
    return item == nullptr ? -1 : item->data(Qt::UserRole).toLongLong();
}

QString TFormMain::SelectedClassText() const {
    const QListWidgetItem* item = LB_Object->currentItem();
    return item == nullptr ? QString() : item->text();
}

void TFormMain::SetSelectedClassText(const QString& text) {
    if (QListWidgetItem* item = LB_Object->currentItem())
        item->setText(text);
}

int TFormMain::SelectedMemberRow() const {
    const QModelIndexList rows = LV_Member->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

qint64 TFormMain::SelectedMemberId() const {
    const int row = SelectedMemberRow();
    return row < 0 ? -1 : LV_Member->item(row, 0)->text().toLongLong();
}

void TFormMain::LoadProjects() {
    CB_Project->clear();
    ClearClassesAndMembers();
    for (const TProjectEntry& project : TProjectDAO().ListProjects())
        CB_Project->addItem(project.projectName, project.projectId);
    if (CB_Project->count() == 0)
        return;
    CB_Project->setCurrentIndex(0);
    if (keptProjectIndex != -1 && keptProjectIndex < CB_Project->count())
        CB_Project->setCurrentIndex(keptProjectIndex);
    LoadClasses(SelectedProjectId());
}

void TFormMain::LoadClasses(qint64 projectId) {
    ClearClassesAndMembers();
    const QSignalBlocker blocker(LB_Object);
    for (const TClassEntry& entry : TClassDAO().ListClasses(projectId)) {
        auto* item = new QListWidgetItem(entry.className, LB_Object);
        item->setData(Qt::UserRole, entry.classId);
    }
    if (LB_Object->count() == 0)
        return;
    LB_Object->setCurrentRow(0);
    LoadMembers(SelectedClassId());
}

void TFormMain::LoadMembers(qint64 classId) {
    LV_Member->setRowCount(0);
    TResultSetPtr rows = TMemberDAO().OpenClassMembers(classId);
    for (rows->First(); !rows->Eof(); rows->Next())
        AddMemberRow(*rows);
}

void TFormMain::AddMemberRow(const TResultSet& row) {
    const QStringList texts = {
        row.AsText("memberId"),
        row.AsText("memberName"),
        row.AsText("memberType"),
        row.AsText("memberLength"),
        FlagText(row.AsInteger("memberIsPri")),
        FlagText(row.AsInteger("memberIsMust")),
        FlagText(row.AsInteger("queryFlag")),
        FlagText(row.AsInteger("memberIsDisplay")),
        FlagText(row.AsInteger("memberQueryDisplay")),
        row.AsText("memberComment"),
    };
    const int index = LV_Member->rowCount();
    LV_Member->insertRow(index);
    for (int column = 0; column < texts.size(); ++column)
        LV_Member->setItem(index, column, new QTableWidgetItem(texts[column]));
}

void TFormMain::ClearClassesAndMembers() {
    const QSignalBlocker blocker(LB_Object);
    LB_Object->clear();
    LV_Member->setRowCount(0);
}

void TFormMain::F2Click() {
    Guard([this] {
        const QString name =
            seam_->InputBox(QStringLiteral("请输入工程名称"), QString(), QString());
        if (name.isEmpty())
            return Message(QStringLiteral("工程名称不能为空!"));
        if (!ModelCheck::IsSafeName(name))
            return Message(kUnsafeProjectName);
        TProjectDAO projects;
        if (projects.CountProjectsByName(name) >= 1)
            return Message(QStringLiteral("该工程名称已经存在!"));
        projects.AddProject(name);
        LoadProjects();
        Message(QStringLiteral("工程名称添加成功！"));
    });
}

void TFormMain::N1Click() {
    Guard([this] {
        if (CB_Project->currentIndex() < 0)
            return Message(QStringLiteral("当前未有任何项目被选中!"));
        const QString name =
            seam_->InputBox(QStringLiteral("请输入项目名称"), QString(), QString());
        if (name.isEmpty())
            return Message(QStringLiteral("工程项目名称不能为空!"));
        if (!ModelCheck::IsSafeName(name))
            return Message(kUnsafeProjectName);
        TProjectDAO().RenameProject(SelectedProjectId(), name);
        keptProjectIndex = CB_Project->currentIndex();
        Message(QStringLiteral("工程名称修改成功！"));
        LoadProjects();
    });
}

void TFormMain::D1Click() {
    Guard([this] {
        if (CB_Project->currentIndex() < 0)
            return Message(QStringLiteral("未有任何项目被选中!"));
        if (!seam_->Confirm(QStringLiteral("删除提示"), QStringLiteral("确认删除当前项目吗?")))
            return;
        TProjectDAO().DeleteProject(SelectedProjectId());
        keptProjectIndex = -1;
        Message(QStringLiteral("删除成功!"));
        LoadProjects();
    });
}

void TFormMain::A2Click() {
    Guard([this] {
        if (CB_Project->currentIndex() < 0)
            return Message(QStringLiteral("当前未有任何项目被选中!"));
        TAddClassForm form(this);
        ShowModal(form);
    });
}

void TFormMain::N2Click() {
    Guard([this] {
        if (LB_Object->currentItem() == nullptr)
            return Message(QStringLiteral("没有类被选中!"));
        TUpdateClassForm form(this);
        form.SetClassId(SelectedClassId());
        ShowModal(form);
    });
}

void TFormMain::S1Click() {
    Guard([this] {
        if (LB_Object->currentItem() == nullptr)
            return Message(QStringLiteral("没有类被选中!"));
        if (!seam_->Confirm(QStringLiteral("提示"), QStringLiteral("确认删除此类对象！")))
            return;
        TClassDAO().DeleteClass(SelectedClassId());
        {
            const QSignalBlocker blocker(LB_Object);
            delete LB_Object->takeItem(LB_Object->currentRow());
            LB_Object->setCurrentRow(-1);
        }
        LV_Member->setRowCount(0);
        Message(QStringLiteral("类对象删除成功!"));
    });
}

void TFormMain::M1Click() {
    Guard([this] {
        if (LB_Object->currentItem() == nullptr)
            return Message(QStringLiteral("请先选择类对象"));
        TAddMemberForm form(this);
        ShowModal(form);
    });
}

void TFormMain::N3Click() {
    Guard([this] {
        if (SelectedMemberRow() < 0)
            return Message(QStringLiteral("请先选择一个成员"));
        TUpdateMemberForm form(this, SelectedMemberId());
        if (form.MemberFound())
            ShowModal(form);
        else
            LoadMembers(SelectedClassId());
    });
}

void TFormMain::C1Click() {
    Guard([this] {
        if (SelectedMemberRow() < 0)
            return Message(QStringLiteral("请先选择一个成员"));
        if (!seam_->Confirm(QStringLiteral("删除提示"), QStringLiteral("确定删除当前成员属性?")))
            return;
        TMemberDAO().DeleteMember(SelectedMemberId());
        Message(QStringLiteral("成员属性删除成功"));
        LoadMembers(SelectedClassId());
    });
}

void TFormMain::S2Click() {
    const QString answer = seam_->InputBox(
        QStringLiteral("包名输入框"), QStringLiteral("请输入一个包名如:           "), packageName);
    if (answer.isEmpty())
        return Message(QStringLiteral("包名输入不能为空!"));
    packageName = answer;
}

void TFormMain::A1Click() {
    Guard([this] {
        if (CB_Project->currentIndex() < 0)
            return Message(QStringLiteral("没有一个工程被选中！"));
        Message(QStringLiteral("如果以前生成了该项目，最好先删除原来的目录!"));
        TGenerationSettings settings;
        settings.rootDir = rootDir_;
        settings.projectId = SelectedProjectId();
        settings.projectName = CB_Project->currentText();
        settings.packageName = packageName;
        Memo_State->clear();
        StartGeneration(settings);
    });
}

void TFormMain::CB_ProjectChange() {
    Guard([this] {
        LV_Member->setRowCount(0);
        if (CB_Project->currentIndex() >= 0)
            LoadClasses(SelectedProjectId());
    });
}

void TFormMain::LB_ObjectClick() {
    Guard([this] {
        if (LB_Object->currentItem() != nullptr)
            LoadMembers(SelectedClassId());
    });
}

void TFormMain::LB_ObjectDblClick() {
    N2Click();
}

void TFormMain::LV_MemberDblClick() {
    if (LB_Object->currentItem() != nullptr && SelectedMemberRow() < 0)
        M1Click();
    else
        N3Click();
}

void TFormMain::Image1Click() {
    seam_->OpenUrl(HomePage());
}

void TFormMain::Timer1Timer() {
    Timer1->stop();
    seam_->OpenUrl(HomePage());
}

void TFormMain::OnGenerationProgress(const QString& line) {
    Memo_State->appendPlainText(line);
}

void TFormMain::OnPrimaryKeyError(qint64 classId) {
    ReportClass(classId, PrimaryKeyErrorText);
}

void TFormMain::OnDisplayMemberError(qint64 classId) {
    ReportClass(classId, DisplayMemberErrorText);
}

void TFormMain::OnModelError(const QString& message) {
    seam_->Error(message);
}

void TFormMain::ReportClass(qint64 classId, QString (*text)(const QString& className)) {
    errorClassId = classId;
    Guard([&] { Message(text(Printable(TClassDAO().GetClassName(errorClassId)))); });
}

void TFormMain::OnGenerationFinished(const QString& projectName) {
    seam_->Information(QStringLiteral("任务提示"), QStringLiteral("所有代码生成完毕!"));
    seam_->OpenFolder(rootDir_ + QStringLiteral("/projects/") + projectName);
}

void TFormMain::OnGenerationError(const QString& message) {
    seam_->Error(message);
}

void TFormMain::StartGeneration(const TGenerationSettings& settings) {
    auto* bridge = new TGenerationBridge(settings.projectName);
    auto* run = new TAutoCode(settings, bridge);
    bridge->setParent(run);
    connect(bridge, &TGenerationBridge::Progress, this, &TFormMain::OnGenerationProgress,
            Qt::QueuedConnection);
    connect(bridge, &TGenerationBridge::PrimaryKeyError, this, &TFormMain::OnPrimaryKeyError,
            Qt::BlockingQueuedConnection);
    connect(bridge, &TGenerationBridge::DisplayMemberError, this, &TFormMain::OnDisplayMemberError,
            Qt::BlockingQueuedConnection);
    connect(bridge, &TGenerationBridge::ModelError, this, &TFormMain::OnModelError,
            Qt::BlockingQueuedConnection);
    connect(bridge, &TGenerationBridge::Finished, this, &TFormMain::OnGenerationFinished,
            Qt::BlockingQueuedConnection);
    connect(bridge, &TGenerationBridge::Failed, this, &TFormMain::OnGenerationError,
            Qt::QueuedConnection);
    connect(run, &QThread::finished, run, &QObject::deleteLater);
    runs_.removeAll(nullptr);
    runs_.append(run);
    run->start();
}

int TFormMain::RunningGenerations() const {
    int count = 0;
    for (const QPointer<TAutoCode>& run : runs_)
        count += !run.isNull() && !run->isFinished() ? 1 : 0;
    return count;
}

// A run still going when the window closes is let finish without it: its
// reports are cut off, including any already waiting for this thread.
void TFormMain::WaitForRuns() {
    for (const QPointer<TAutoCode>& run : runs_) {
        if (run.isNull())
            continue;
        if (auto* bridge = run->findChild<TGenerationBridge*>())
            disconnect(bridge, nullptr, this, nullptr);
        while (!run->wait(50))
            QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    }
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == Image1 && type == QEvent::MouseButtonRelease) {
        Image1Click();
        return true;
    }
    if (watched == LV_Member->viewport() &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)) {
        // A click beside the rows leaves no row selected.
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!LV_Member->indexAt(mouse->position().toPoint()).isValid())
            LV_Member->clearSelection();
        if (type == QEvent::MouseButtonDblClick) {
            LV_MemberDblClick();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::ShowModal(QDialog& dialog) {
    modalHook_(dialog);
}

bool TFormMain::Guard(const std::function<void()>& command) {
    return RunGuarded(*seam_, command);
}

void TFormMain::Message(const QString& text) {
    seam_->Message(text);
}
