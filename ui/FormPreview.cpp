#include "FormPreview.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "Guard.h"
#include "Printable.h"

namespace {

QPlainTextEdit* NewPage(const QString& text) {
    auto* page = new QPlainTextEdit;
    page->setReadOnly(true);
    page->setLineWrapMode(QPlainTextEdit::NoWrap);
    page->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QString shown = text;
    page->setPlainText(shown.remove(QLatin1Char('\r')));
    return page;
}

} // namespace

TPreviewForm::TPreviewForm(const QString& className, const TGeneratedFiles& files, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("预览代码 - ") + Printable(className));
    setFont(FormFont());
    resize(780, 560);
    PageControl1 = new QTabWidget(this);
    for (const TGeneratedFile& file : files)
        PageControl1->addTab(NewPage(file.text), file.path.section(QLatin1Char('/'), -1));
    Button1 = new QPushButton(QStringLiteral("关闭"), this);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons);
}

QString TPreviewForm::PageText(int index) const {
    auto* page = qobject_cast<QPlainTextEdit*>(PageControl1->widget(index));
    return page == nullptr ? QString() : page->toPlainText();
}
