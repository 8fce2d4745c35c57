// The window's widgets, their layout and its menu.
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMovie>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <iterator>

#include "BusyRunner.h"
#include "GenerationRunner.h"
#include "MainForm.h"
#include "ProgressLog.h"
#include "ProjectBox.h"

namespace {

const int kClientWidth = 828;
const int kClientHeight = 547;
const int kBannerHeight = 97;
const int kProgressHeight = 150;

struct TColumn {
    const char* title;
    int width;
};

const TColumn kMemberColumns[] = {
    {"编号", 1},  {"成员名称", 90}, {"成员类型", 80},   {"长度", 50},     {"主键", 50},
    {"必填", 50}, {"参与查询", 60}, {"下拉框显示", 75}, {"界面显示", 80}, {"注释", 120},
};

// The style's margins around the contents of widget.
QMargins StyleMargins(const QWidget* widget) {
    const QStyle* style = widget->style();
    return {style->pixelMetric(QStyle::PM_LayoutLeftMargin, nullptr, widget),
            style->pixelMetric(QStyle::PM_LayoutTopMargin, nullptr, widget),
            style->pixelMetric(QStyle::PM_LayoutRightMargin, nullptr, widget),
            style->pixelMetric(QStyle::PM_LayoutBottomMargin, nullptr, widget)};
}

} // namespace

void TFormMain::CreateWidgets() {
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
    Btn_Sample = new QPushButton(QStringLiteral("添加示例项目"), GroupBox1);
    Btn_Sample->setFixedWidth(153);
    Btn_Sample->hide();
    connect(Btn_Sample, &QPushButton::clicked, this, &TFormMain::S3Click);
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
    classColumn->addWidget(Btn_Sample);
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
    E1 = AddItem(MenuProject, QStringLiteral("导出模型(&O)..."), &TFormMain::E1Click);
    I1 = AddItem(MenuProject, QStringLiteral("导入模型(&I)..."), &TFormMain::I1Click);
    I2 = AddItem(MenuProject, QStringLiteral("导入旧版数据库(&L)..."), &TFormMain::I2Click);
    I3 = AddItem(MenuProject, QStringLiteral("从数据库导入(&R)..."), &TFormMain::I3Click);
    MenuCode = MainMenu1->addMenu(QStringLiteral("代码管理(&A)"));
    S2 = AddItem(MenuCode, QStringLiteral("设置包名(&S)"), &TFormMain::S2Click);
    D2 = AddItem(MenuCode, QStringLiteral("数据库类型(&D)..."), &TFormMain::D2Click);
    T1 = AddItem(MenuCode, QStringLiteral("管理员表名(&T)..."), &TFormMain::T1Click);
    A1 = AddItem(MenuCode, QStringLiteral("自动生成代码(&A)"), &TFormMain::A1Click);
    V1 = AddItem(MenuCode, QStringLiteral("预览代码(&V)"), &TFormMain::V1Click);
    MenuHelp = MainMenu1->addMenu(QStringLiteral("帮助(&H)"));
    H1 = AddItem(MenuHelp, QStringLiteral("使用说明(&H)"), &TFormMain::H1Click);
    S3 = AddItem(MenuHelp, QStringLiteral("添加示例项目(&S)"), &TFormMain::S3Click);
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
    connect(busy_, &TBusyRunner::BusyChanged, this, &TFormMain::ShowBusy);
}

QAction* TFormMain::AddItem(QMenu* menu, const QString& text, void (TFormMain::*handler)()) {
    QAction* action = menu->addAction(text);
    connect(action, &QAction::triggered, this, handler);
    return action;
}
