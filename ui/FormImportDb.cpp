#include "FormImportDb.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <optional>
#include <utility>

#include "DbImport.h"
#include "ExchangeError.h"
#include "Guard.h"
#include "Printable.h"
#include "UserSeam.h"

namespace {

const QString kCaption = QStringLiteral("从数据库导入");
const TDbKind kKinds[] = {TDbKind::MySql, TDbKind::PostgreSql, TDbKind::Sqlite};
const int kFileFieldWidth = 260;

QString SuccessText(const TDbImportResult& result) {
    QString text = "数据库导入成功: " + Printable(result.projectName) + " (" +
                   QString::number(result.classCount) + "个类)";
    const QStringList lines = result.report + result.notices;
    if (!lines.isEmpty())
        text += "\n\n" + lines.join(QLatin1Char('\n'));
    return text;
}

} // namespace

TImportDbForm::TImportDbForm(TUserSeam& seam, QWidget* parent, TOffThread offThread,
                             const TImportDbValues& values)
    : QDialog(parent), seam_(seam), offThread_(std::move(offThread)) {
    if (!offThread_)
        offThread_ = RightHere();
    setWindowTitle(kCaption);
    setFont(FormFont());
    Panel_Boxes = new QWidget(this);
    CB_Kind = new QComboBox(Panel_Boxes);
    CB_Kind->addItems({"MariaDB/MySQL", "PostgreSQL", "SQLite"});
    Edt_Host = new QLineEdit(values.host, Panel_Boxes);
    Edt_Port = new QLineEdit(Panel_Boxes);
    Label_Database = new QLabel(Panel_Boxes);
    Edt_Database = new QLineEdit(values.database, Panel_Boxes);
    Edt_Database->setMinimumWidth(kFileFieldWidth);
    Btn_Browse = new QPushButton(QStringLiteral("浏览..."), Panel_Boxes);
    Btn_Browse->setAutoDefault(false);
    Edt_User = new QLineEdit(values.user, Panel_Boxes);
    Edt_Password = new QLineEdit(Panel_Boxes);
    Edt_Password->setEchoMode(QLineEdit::Password);
    Edt_Tables = new QLineEdit(values.tables, Panel_Boxes);
    Edt_Tables->setPlaceholderText(QStringLiteral("全部表; 如 book*,loan"));
    CB_Strict = new QCheckBox(QStringLiteral("有模型不能原样表示的内容时全部不导入"), Panel_Boxes);
    CB_Strict->setChecked(values.strict);
    Button1 = new QPushButton(QStringLiteral("导入"), this);
    Button1->setDefault(true);
    Btn_Cancel = new QPushButton(QStringLiteral("取消"), this);
    Btn_Cancel->setAutoDefault(false);
    LayOut();
    connect(CB_Kind, &QComboBox::currentIndexChanged, this, &TImportDbForm::CB_KindChange);
    connect(Btn_Browse, &QPushButton::clicked, this, &TImportDbForm::Btn_BrowseClick);
    connect(Button1, &QPushButton::clicked, this, &TImportDbForm::Button1Click);
    connect(Btn_Cancel, &QPushButton::clicked, this, &TImportDbForm::reject);
    const QSignalBlocker blocker(CB_Kind);
    CB_Kind->setCurrentIndex(qBound(0, values.kind, 2));
    CB_KindChange(CB_Kind->currentIndex());
    if (!values.port.isEmpty())
        Edt_Port->setText(values.port);
}

void TImportDbForm::LayOut() {
    auto* database = new QHBoxLayout;
    database->addWidget(Edt_Database, 1);
    database->addWidget(Btn_Browse);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(QStringLiteral("数据库类型:"), CB_Kind);
    form->addRow(QStringLiteral("主机:"), Edt_Host);
    form->addRow(QStringLiteral("端口:"), Edt_Port);
    form->addRow(Label_Database, database);
    form->addRow(QStringLiteral("用户:"), Edt_User);
    form->addRow(QStringLiteral("密码:"), Edt_Password);
    form->addRow(QStringLiteral("表名过滤:"), Edt_Tables);
    auto* boxes = new QVBoxLayout(Panel_Boxes);
    boxes->setContentsMargins(0, 0, 0, 0);
    boxes->addLayout(form);
    boxes->addWidget(CB_Strict);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Btn_Cancel);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Panel_Boxes);
    layout->addLayout(buttons);
}

TImportDbValues TImportDbForm::Values() const {
    TImportDbValues values;
    values.kind = CB_Kind->currentIndex();
    values.host = Edt_Host->text();
    values.port = Edt_Port->text();
    values.database = Edt_Database->text();
    values.user = Edt_User->text();
    values.tables = Edt_Tables->text();
    values.strict = CB_Strict->isChecked();
    return values;
}

// The port box follows the kind unless the user typed another port; a SQLite file has no
// server fields.
void TImportDbForm::CB_KindChange(int index) {
    const TDbKind kind = kKinds[qBound(0, index, 2)];
    const int port = SchemaReader::DefaultPort(kind);
    if (Edt_Port->text().isEmpty() || Edt_Port->text() == QString::number(defaultPort_))
        Edt_Port->setText(port != 0 ? QString::number(port) : QString());
    defaultPort_ = port;
    const bool server = kind != TDbKind::Sqlite;
    for (QWidget* box : {static_cast<QWidget*>(Edt_Host), static_cast<QWidget*>(Edt_Port),
                         static_cast<QWidget*>(Edt_User), static_cast<QWidget*>(Edt_Password)})
        box->setEnabled(server);
    Btn_Browse->setVisible(!server);
    Label_Database->setText(server ? QStringLiteral("数据库:") : QStringLiteral("文件:"));
}

void TImportDbForm::Btn_BrowseClick() {
    const QString file = seam_.OpenFileName(
        kCaption, QStringLiteral("SQLite数据库 (*.db *.sqlite *.sqlite3);;所有文件 (*)"));
    if (!file.isEmpty())
        Edt_Database->setText(file);
}

void TImportDbForm::Button1Click() {
    RunGuarded(seam_, [this] { Import(); });
}

bool TImportDbForm::ReadBoxes(TDbImportRequest& request) {
    TDbSource& source = request.source;
    source.kind = kKinds[qBound(0, CB_Kind->currentIndex(), 2)];
    source.database = Edt_Database->text().trimmed();
    if (source.database.isEmpty()) {
        seam_.Message(source.kind == TDbKind::Sqlite ? QStringLiteral("请选择SQLite数据库文件")
                                                     : QStringLiteral("请输入数据库名称"));
        return false;
    }
    if (source.kind != TDbKind::Sqlite) {
        bool ok = false;
        source.port = Edt_Port->text().trimmed().toInt(&ok);
        if (!ok || source.port < 1 || source.port > 65535) {
            seam_.Message(QStringLiteral("端口必须是1到65535之间的数字"));
            return false;
        }
        source.host = Edt_Host->text().trimmed();
        source.user = Edt_User->text();
        source.password = Edt_Password->text();
    }
    request.tables = Edt_Tables->text().trimmed();
    request.strict = CB_Strict->isChecked();
    return true;
}

// While the database is read, closing abandons that work; while the project is stored, the
// dialog waits for it.
void TImportDbForm::reject() {
    if (state_ == TState::Storing)
        return;
    if (state_ == TState::Reading) {
        ++attempt_;
        SetState(TState::Idle);
        emit Abandoned();
    }
    QDialog::reject();
}

void TImportDbForm::SetState(TState state) {
    state_ = state;
    Panel_Boxes->setEnabled(state == TState::Idle);
    Button1->setEnabled(state == TState::Idle);
    Btn_Cancel->setEnabled(state != TState::Storing);
}

bool TImportDbForm::Succeeded(const std::exception_ptr& error) {
    if (!error)
        return true;
    SetState(TState::Idle);
    RunGuarded(seam_, [&error] { std::rethrow_exception(error); });
    return false;
}

// Errors (connection, a refused model, --strict) reach the error box through RunGuarded and
// leave the dialog open with nothing stored. The dialog takes no second click while the
// database is read and the project stored.
void TImportDbForm::Import() {
    auto request = std::make_shared<TDbImportRequest>();
    if (!ReadBoxes(*request))
        return;
    SetState(TState::Reading);
    auto mapping = std::make_shared<TSchemaMapping>();
    QPointer<TImportDbForm> self(this);
    const int attempt = ++attempt_;
    offThread_(
        QStringLiteral("正在读取数据库..."),
        [request, mapping] { *mapping = DbImport::ReadMapping(*request); },
        [self, attempt, request, mapping](std::exception_ptr error) {
            if (self && self->attempt_ == attempt && self->Succeeded(error))
                self->Store(request, mapping);
        });
}

void TImportDbForm::Store(const std::shared_ptr<TDbImportRequest>& request,
                          const std::shared_ptr<TSchemaMapping>& mapping) {
    SetState(TState::Storing);
    auto result = std::make_shared<TDbImportResult>();
    auto taken = std::make_shared<std::optional<QString>>();
    QPointer<TImportDbForm> self(this);
    auto work = [request, mapping, result, taken] {
        try {
            *result = DbImport::Store(*request, *mapping);
        } catch (const TNameTakenError& error) {
            *taken = error.Message();
        }
    };
    auto then = [self, request, mapping, result, taken](std::exception_ptr error) {
        if (!self || !self->Succeeded(error))
            return;
        if (*taken) {
            request->projectName = self->seam_.InputBox(
                kCaption, **taken + QStringLiteral("\n请输入新的工程名称:"), QString());
            if (request->projectName.isEmpty())
                return self->SetState(TState::Idle);
            return self->Store(request, mapping);
        }
        self->SetState(TState::Idle);
        emit self->ProjectImported(result->projectName);
        self->seam_.Message(SuccessText(*result));
        self->accept();
    };
    offThread_(QStringLiteral("正在导入模型..."), work, then);
}
