#include "FormImportDb.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QPointer>
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

QString SuccessText(const TDbImportResult& result) {
    QString text = "数据库导入成功: " + Printable(result.projectName) + " (" +
                   QString::number(result.classCount) + "个类)";
    if (!result.report.isEmpty())
        text += "\n\n" + result.report.join(QLatin1Char('\n'));
    return text;
}

} // namespace

TImportDbForm::TImportDbForm(TUserSeam& seam, QWidget* parent, TOffThread offThread)
    : QDialog(parent), seam_(seam), offThread_(std::move(offThread)) {
    if (!offThread_)
        offThread_ = RightHere();
    setWindowTitle(kCaption);
    setFont(FormFont());
    CB_Kind = new QComboBox(this);
    CB_Kind->addItems({"MariaDB/MySQL", "PostgreSQL", "SQLite"});
    Edt_Host = new QLineEdit(QStringLiteral("127.0.0.1"), this);
    Edt_Port = new QLineEdit(this);
    Edt_Database = new QLineEdit(this);
    Btn_Browse = new QPushButton(QStringLiteral("浏览..."), this);
    Edt_User = new QLineEdit(this);
    Edt_Password = new QLineEdit(this);
    Edt_Password->setEchoMode(QLineEdit::Password);
    Edt_Tables = new QLineEdit(this);
    Edt_Tables->setPlaceholderText(QStringLiteral("全部表; 如 book*,loan"));
    CB_Strict = new QCheckBox(QStringLiteral("有模型不能原样表示的内容时全部不导入"), this);
    Button1 = new QPushButton(QStringLiteral("导入"), this);
    auto* database = new QHBoxLayout;
    database->addWidget(Edt_Database);
    database->addWidget(Btn_Browse);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("数据库类型:"), CB_Kind);
    form->addRow(QStringLiteral("主机:"), Edt_Host);
    form->addRow(QStringLiteral("端口:"), Edt_Port);
    form->addRow(QStringLiteral("数据库:"), database);
    form->addRow(QStringLiteral("用户:"), Edt_User);
    form->addRow(QStringLiteral("密码:"), Edt_Password);
    form->addRow(QStringLiteral("表名过滤:"), Edt_Tables);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(CB_Strict);
    layout->addWidget(Button1, 0, Qt::AlignHCenter);
    connect(CB_Kind, &QComboBox::currentIndexChanged, this, &TImportDbForm::CB_KindChange);
    connect(Btn_Browse, &QPushButton::clicked, this, &TImportDbForm::Btn_BrowseClick);
    connect(Button1, &QPushButton::clicked, this, &TImportDbForm::Button1Click);
    CB_KindChange(0);
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

void TImportDbForm::reject() {
    if (!working_)
        QDialog::reject();
}

void TImportDbForm::SetWorking(bool working) {
    working_ = working;
    setEnabled(!working);
}

bool TImportDbForm::Succeeded(const std::exception_ptr& error) {
    if (!error)
        return true;
    SetWorking(false);
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
    SetWorking(true);
    auto mapping = std::make_shared<TSchemaMapping>();
    QPointer<TImportDbForm> self(this);
    offThread_(
        QStringLiteral("正在读取数据库..."),
        [request, mapping] { *mapping = DbImport::ReadMapping(*request); },
        [self, request, mapping](std::exception_ptr error) {
            if (self && self->Succeeded(error))
                self->Store(request, mapping);
        });
}

void TImportDbForm::Store(const std::shared_ptr<TDbImportRequest>& request,
                          const std::shared_ptr<TSchemaMapping>& mapping) {
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
                return self->SetWorking(false);
            return self->Store(request, mapping);
        }
        self->SetWorking(false);
        emit self->ProjectImported(result->projectName);
        self->seam_.Message(SuccessText(*result));
        self->accept();
    };
    offThread_(QStringLiteral("正在导入模型..."), work, then);
}
