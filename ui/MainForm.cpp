#include "MainForm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QMovie>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>
#include <iterator>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "AutoCode.h"
#include "ClassDAO.h"
#include "ClassMembers.h"
#include "FormAddClass.h"
#include "FormAddMember.h"
#include "FormImportDb.h"
#include "FormPreview.h"
#include "FormUpdateClass.h"
#include "FormUpdateMember.h"
#include "GenerationRunner.h"
#include "Guard.h"
#include "MemberDAO.h"
#include "ModelCheck.h"
#include "ModelFiles.h"
#include "Preview.h"
#include "Printable.h"
#include "ProgressLog.h"
#include "ProjectBox.h"
#include "ProjectDAO.h"

static void InitUiResources() {
    Q_INIT_RESOURCE(ui);
}

namespace {

const int kClientWidth = 828;
const int kClientHeight = 547;
const int kBannerHeight = 97;
const int kProgressHeight = 150;

const QString kStopQuestion = QStringLiteral("正在生成代码, 要停止生成并关闭窗口吗?");

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

// The style's margins around the contents of widget.
QMargins StyleMargins(const QWidget* widget) {
    const QStyle* style = widget->style();
    return {style->pixelMetric(QStyle::PM_LayoutLeftMargin, nullptr, widget),
            style->pixelMetric(QStyle::PM_LayoutTopMargin, nullptr, widget),
            style->pixelMetric(QStyle::PM_LayoutRightMargin, nullptr, widget),
            style->pixelMetric(QStyle::PM_LayoutBottomMargin, nullptr, widget)};
}

} // namespace

TFormMain::TFormMain(TUserSeam* seam, const QString& rootDir, QWidget* parent)
    : QMainWindow(parent), seam_(seam),
      rootDir_(rootDir.isEmpty() ? QCoreApplication::applicationDirPath() : rootDir),
      modalHook_([](QDialog& dialog) { dialog.exec(); }), runner_(new TGenerationRunner(this)) {
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
    LayOut(client);
    CreateMenu();
    CreateBusyPanel();
    ConnectRunner();
    // A fixed size (minimum equal to maximum) is what tells every window manager not to offer
    // maximising.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setFixedSize(sizeHint());
    move(200, 126);
    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    Timer1->setInterval(5000);
    connect(Timer1, &QTimer::timeout, this, &TFormMain::Timer1Timer);
    Timer1->start();
    FormCreate();
}

TFormMain::~TFormMain() {
    runner_->WaitForAll();
}

void TFormMain::FormCreate() {
    keptProjectIndex = -1;
    packageName = QStringLiteral("brennoquill");
    Guard([this] { LoadProjects(); });
}

void TFormMain::CreateBanner(QWidget* parent) {
    Image1 = new QLabel(parent);
    Image1->setFixedSize(kClientWidth, kBannerHeight);
    Image1->setScaledContents(true);
    Image1->setCursor(Qt::PointingHandCursor);
    auto* movie = new QMovie(QStringLiteral(":/banner.gif"), QByteArray(), Image1);
    Image1->setMovie(movie);
    movie->start();
    Image1->installEventFilter(this);
}

void TFormMain::CreateProjectArea(QWidget* parent) {
    GroupBox1 = new QGroupBox(QStringLiteral("项目操作区"), parent);
    Label1 = new QLabel(QStringLiteral("项目:"), GroupBox1);
    CB_Project = new TProjectBox(GroupBox1);
    CB_Project->setFixedWidth(121);
    Label2 = new QLabel(QStringLiteral("该项目所有类如下:"), GroupBox1);
    LB_Object = new QListWidget(GroupBox1);
    LB_Object->setFixedWidth(153);
    CreateMemberTable();
    CreateProgressArea();
    connect(CB_Project, &QComboBox::activated, this, &TFormMain::CB_ProjectChange);
    connect(LB_Object, &QListWidget::currentRowChanged, this, &TFormMain::LB_ObjectClick);
    connect(LB_Object, &QListWidget::itemSelectionChanged, this, &TFormMain::KeepClassHighlight);
    connect(LB_Object, &QListWidget::itemDoubleClicked, this, &TFormMain::LB_ObjectDblClick);
}

void TFormMain::CreateProgressArea() {
    GroupBox2 = new QGroupBox(QStringLiteral("生成进度"), GroupBox1);
    GroupBox2->setFixedHeight(kProgressHeight);
    Memo_State = new QPlainTextEdit(GroupBox2);
    Memo_State->setReadOnly(true);
    Memo_State->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_State->setStyleSheet(QStringLiteral("QPlainTextEdit { background: silver; }"));
    ProgressBar1 = new QProgressBar(GroupBox2);
    ProgressBar1->setFormat(QStringLiteral("%v / %m"));
    QSizePolicy policy = ProgressBar1->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    ProgressBar1->setSizePolicy(policy);
    ProgressBar1->hide();
    progressLog_ = std::make_unique<TProgressLog>(Memo_State);
    auto* layout = new QVBoxLayout(GroupBox2);
    layout->addWidget(Memo_State);
    layout->addWidget(ProgressBar1);
}

// The banner spans the window; the frames keep the style's margins.
void TFormMain::LayOut(QWidget* client) {
    auto* projectRow = new QHBoxLayout;
    projectRow->addWidget(Label1);
    projectRow->addWidget(CB_Project);
    auto* classColumn = new QVBoxLayout;
    classColumn->addLayout(projectRow);
    classColumn->addWidget(Label2);
    classColumn->addWidget(LB_Object, 1);
    auto* lists = new QHBoxLayout;
    lists->addLayout(classColumn);
    lists->addWidget(LV_Member, 1);
    auto* frame = new QVBoxLayout(GroupBox1);
    frame->addLayout(lists, 1);
    frame->addWidget(GroupBox2);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(StyleMargins(client));
    body->addWidget(GroupBox1);
    auto* window = new QVBoxLayout(client);
    window->setContentsMargins(0, 0, 0, 0);
    window->setSpacing(0);
    window->addWidget(Image1);
    window->addLayout(body);
}

void TFormMain::CreateMemberTable() {
    LV_Member = new QTableWidget(0, int(std::size(kMemberColumns)), GroupBox1);
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
    // The comment column takes what the others leave of the table's width.
    LV_Member->horizontalHeader()->setSectionResizeMode(int(std::size(kMemberColumns)) - 1,
                                                        QHeaderView::Stretch);
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
    MenuProject->addSeparator();
    E1 = AddItem(MenuProject, QStringLiteral("导出模型..."), &TFormMain::E1Click);
    I1 = AddItem(MenuProject, QStringLiteral("导入模型..."), &TFormMain::I1Click);
    I2 = AddItem(MenuProject, QStringLiteral("导入旧版数据库..."), &TFormMain::I2Click);
    I3 = AddItem(MenuProject, QStringLiteral("从数据库导入..."), &TFormMain::I3Click);
    MenuCode = MainMenu1->addMenu(QStringLiteral("代码管理(&A)"));
    S2 = AddItem(MenuCode, QStringLiteral("设置包名(&S)"), &TFormMain::S2Click);
    A1 = AddItem(MenuCode, QStringLiteral("自动生成代码(&A)"), &TFormMain::A1Click);
    V1 = AddItem(MenuCode, QStringLiteral("预览代码"), &TFormMain::V1Click);
}

// A label and a bar that moves to and fro, at the right of the menu bar.
void TFormMain::CreateBusyPanel() {
    Panel_Busy = new QWidget(MainMenu1);
    Label_Busy = new QLabel(Panel_Busy);
    auto* bar = new QProgressBar(Panel_Busy);
    bar->setRange(0, 0);
    bar->setFixedWidth(80);
    bar->setTextVisible(false);
    auto* layout = new QHBoxLayout(Panel_Busy);
    layout->setContentsMargins(0, 0, 4, 0);
    layout->addWidget(Label_Busy);
    layout->addWidget(bar);
    MainMenu1->setCornerWidget(Panel_Busy, Qt::TopRightCorner);
    Panel_Busy->hide();
}

void TFormMain::ConnectRunner() {
    using Runner = TGenerationRunner;
    connect(runner_, &Runner::Planned, this, &TFormMain::OnGenerationPlanned);
    connect(runner_, &Runner::Progress, this, &TFormMain::OnGenerationProgress);
    connect(runner_, &Runner::FilesWritten, this, &TFormMain::OnFilesWritten);
    connect(runner_, &Runner::Refused, this, &TFormMain::OnRefused);
    connect(runner_, &Runner::Finished, this, &TFormMain::OnGenerationFinished);
    connect(runner_, &Runner::Failed, this, &TFormMain::OnGenerationError);
    connect(runner_, &Runner::Ended, this, &TFormMain::OnGenerationEnded);
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
    return QUrl::fromLocalFile(Folders().Resource(QStringLiteral("help/index.html")));
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

void TFormMain::RenameClassItem(qint64 classId, const QString& className) {
    for (int row = 0; row < LB_Object->count(); ++row)
        if (LB_Object->item(row)->data(Qt::UserRole).toLongLong() == classId)
            LB_Object->item(row)->setText(className);
}

void TFormMain::KeepClassHighlight() {
    QListWidgetItem* item = LB_Object->currentItem();
    if (item != nullptr && LB_Object->selectedItems() != QList<QListWidgetItem*>{item})
        LB_Object->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
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
    FillProjectBox();
    if (CB_Project->count() == 0)
        return;
    CB_Project->setCurrentIndex(0);
    if (keptProjectIndex != -1 && keptProjectIndex < CB_Project->count())
        CB_Project->setCurrentIndex(keptProjectIndex);
    LoadClasses(SelectedProjectId());
}

void TFormMain::FillProjectBox() {
    CB_Project->clear();
    ClearClassesAndMembers();
    for (const TProjectEntry& project : TProjectDAO().ListProjects())
        CB_Project->addItem(project.projectName, project.projectId);
}

void TFormMain::LoadProjectsSelecting(qint64 projectId) {
    FillProjectBox();
    const int index = CB_Project->findData(projectId);
    if (index < 0)
        return LoadProjects();
    keptProjectIndex = index;
    CB_Project->setCurrentIndex(index);
    LoadClasses(projectId);
}

// The first project of an import; of several of its name, the one just added.
void TFormMain::SelectImported(const QStringList& names) {
    if (names.isEmpty())
        return;
    const TProjectList found = TProjectDAO().FindProjects(names.first());
    if (found.isEmpty())
        return LoadProjects();
    LoadProjectsSelecting(found.last().projectId);
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
    for (const TMember& member : ClassMembers(classId))
        AddMemberRow(member);
}

void TFormMain::AddMemberRow(const TMember& m) {
    const QStringList texts = {
        QString::number(m.memberId),
        m.memberName,
        m.memberType,
        QString::number(m.memberLength),
        FlagText(m.memberIsPri),
        FlagText(m.memberIsMust),
        FlagText(m.queryFlag),
        FlagText(m.memberIsDisplay),
        FlagText(m.memberQueryDisplay),
        m.memberComment,
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
        TProjectDAO projects;
        if (const std::optional<QString> refusal = ProjectNameRefusal(name, projects))
            return Message(*refusal);
        projects.AddProject(name);
        LoadProjectsSelecting(projects.FindProjects(name).last().projectId);
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
        TProjectDAO projects;
        // Keeping its own name is no clash.
        const bool same = name == CB_Project->currentText();
        if (const std::optional<QString> refusal = ProjectNameRefusal(name, projects, !same))
            return Message(*refusal);
        projects.RenameProject(SelectedProjectId(), name);
        keptProjectIndex = CB_Project->currentIndex();
        Message(QStringLiteral("工程名称修改成功！"));
        LoadProjects();
    });
}

// The rules of a project name (a folder name, valid text, not too long), then the names of
// the other projects: two projects of one name would generate into one folder.
std::optional<QString> TFormMain::ProjectNameRefusal(const QString& name, TProjectDAO& projects,
                                                     bool checkTaken) {
    if (std::optional<QString> error = ModelCheck::ProjectNameError(name))
        return error;
    if (!checkTaken)
        return std::nullopt;
    return ModelCheck::ProjectNameTakenError(name, projects.FindProjects(name));
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
        TAddClassForm form(*seam_, SelectedProjectId(), this);
        connect(&form, &TAddClassForm::ClassAdded, this, &TFormMain::LoadClasses);
        ShowModal(form);
    });
}

void TFormMain::N2Click() {
    Guard([this] {
        if (LB_Object->currentItem() == nullptr)
            return Message(QStringLiteral("没有类被选中!"));
        TUpdateClassForm form(*seam_, SelectedProjectId(), SelectedClassId(), SelectedClassText(),
                              this);
        connect(&form, &TUpdateClassForm::ClassRenamed, this, &TFormMain::RenameClassItem);
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
        TAddMemberForm form(*seam_, SelectedProjectId(), SelectedClassId(), this);
        connect(&form, &TMemberForm::MemberSaved, this, &TFormMain::LoadMembers);
        ShowModal(form);
    });
}

void TFormMain::N3Click() {
    Guard([this] {
        if (SelectedMemberRow() < 0)
            return Message(QStringLiteral("请先选择一个成员"));
        TUpdateMemberForm form(*seam_, SelectedProjectId(), SelectedClassId(), SelectedMemberId(),
                               this);
        connect(&form, &TMemberForm::MemberSaved, this, &TFormMain::LoadMembers);
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

void TFormMain::E1Click() {
    ModelFileCommand([this] {
        if (CB_Project->currentIndex() < 0)
            return Message(QStringLiteral("当前未有任何项目被选中!"));
        ModelFiles::ExportProject(*seam_, BusyRunner(), SelectedProjectId(),
                                  CB_Project->currentText());
    });
}

void TFormMain::I1Click() {
    ModelFileCommand([this] { SelectImported(ModelFiles::ImportModel(*seam_, BusyRunner())); });
}

void TFormMain::I2Click() {
    ModelFileCommand([this] { SelectImported(ModelFiles::ImportMdb(*seam_, BusyRunner())); });
}

void TFormMain::ModelFileCommand(const std::function<void()>& command) {
    if (modelFileBusy_)
        return Message(QStringLiteral("正在读写模型文件,请稍候"));
    modelFileBusy_ = true;
    Guard(command);
    modelFileBusy_ = false;
}

ModelFiles::TOffThread TFormMain::BusyRunner() {
    return
        [this](const QString& doing, const std::function<void()>& work) { RunBusy(doing, work); };
}

void TFormMain::RunBusy(const QString& doing, const std::function<void()>& work) {
    std::exception_ptr error;
    QThread* thread = QThread::create([&work, &error] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
    });
    Label_Busy->setText(doing);
    Panel_Busy->show();
    QEventLoop loop;
    connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    loop.exec();
    // The loop also ends when the application quits.
    thread->wait();
    delete thread;
    Panel_Busy->hide();
    if (error)
        std::rethrow_exception(error);
}

void TFormMain::I3Click() {
    ModelFileCommand([this] {
        TImportDbForm form(*seam_, this, BusyRunner());
        connect(&form, &TImportDbForm::ProjectImported, this,
                [this](const QString& name) { SelectImported({name}); });
        ShowModal(form);
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
        progressLog_->Clear();
        ProgressBar1->hide();
        runner_->Start(Settings());
    });
}

void TFormMain::V1Click() {
    Guard([this] {
        if (CB_Project->currentIndex() < 0)
            return Message(QStringLiteral("没有一个工程被选中！"));
        if (LB_Object->currentItem() == nullptr)
            return Message(QStringLiteral("没有类被选中!"));
        ShowPreview(Settings(), SelectedClassId());
    });
}

TGenerationSettings TFormMain::Folders() const {
    TGenerationSettings settings;
    settings.rootDir = rootDir_;
    settings.resourceDir = resourceDir_;
    return settings;
}

// The selected project as a run would be started on it now.
TGenerationSettings TFormMain::Settings() const {
    TGenerationSettings settings = Folders();
    settings.projectId = SelectedProjectId();
    settings.projectName = CB_Project->currentText();
    settings.packageName = packageName;
    return settings;
}

// What the next run would write for the class, or what it would refuse the model for.
void TFormMain::ShowPreview(const TGenerationSettings& settings, qint64 classId) {
    const Preview::TPreview preview = Preview::BuildPreview(settings, classId);
    if (preview.refusal) {
        const TRefusalKind kind = preview.refusal->kind;
        if (kind == TRefusalKind::PrimaryKey || kind == TRefusalKind::DisplayMember)
            return Message(preview.refusal->message);
        return seam_->Error(preview.refusal->message);
    }
    if (!preview.classFound)
        return Message(QStringLiteral("没有类被选中!"));
    TPreviewForm form(preview.className, preview.files, this);
    ShowModal(form);
}

void TFormMain::CB_ProjectChange() {
    Guard([this] {
        LV_Member->setRowCount(0);
        if (CB_Project->currentIndex() >= 0)
            LoadClasses(SelectedProjectId());
    });
}

void TFormMain::LB_ObjectClick() {
    KeepClassHighlight();
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

void TFormMain::OnGenerationPlanned(int files) {
    ProgressBar1->setRange(0, files);
    ProgressBar1->setValue(0);
    ProgressBar1->show();
}

// The log always shows its last line.
void TFormMain::OnGenerationProgress(const QStringList& lines) {
    progressLog_->Append(lines);
}

void TFormMain::OnFilesWritten(int count) {
    ProgressBar1->setValue(qMin(ProgressBar1->value() + count, ProgressBar1->maximum()));
}

void TFormMain::OnRefused(const TRefusal& refusal) {
    if (refusal.kind != TRefusalKind::PrimaryKey && refusal.kind != TRefusalKind::DisplayMember)
        return seam_->Error(refusal.message);
    errorClassId = refusal.classId;
    Guard([&] { Message(refusal.message); });
}

void TFormMain::OnGenerationFinished(const QString& projectName) {
    // The run has let go of what it built; it waits for the box below to end.
    ReleaseFreedMemory();
    seam_->Information(QStringLiteral("任务提示"), QStringLiteral("所有代码生成完毕!"));
    seam_->OpenFolder(rootDir_ + QStringLiteral("/projects/") + projectName);
}

void TFormMain::OnGenerationError(const QString& message) {
    seam_->Error(message);
}

// The bar is full after a finished run; any other run leaves no bar behind.
void TFormMain::OnGenerationEnded(bool finished) {
    if (finished)
        ProgressBar1->setValue(ProgressBar1->maximum());
    else
        ProgressBar1->hide();
    // After the run's thread object, deleted later, has let go of the model it read.
    QTimer::singleShot(kReleaseDelayMs, this, &TFormMain::ReleaseFreedMemory);
}

// A run's texts were built and freed on other threads; their memory goes back to the system.
void TFormMain::ReleaseFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

int TFormMain::RunningGenerations() const {
    return runner_->Running();
}

void TFormMain::closeEvent(QCloseEvent* event) {
    if (runner_->Running() > 0) {
        if (!seam_->Confirm(QStringLiteral("提示"), kStopQuestion))
            return event->ignore();
        runner_->StopAll();
        runner_->WaitForAll();
    }
    QMainWindow::closeEvent(event);
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
