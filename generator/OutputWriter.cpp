#include "OutputWriter.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

// At most this many unproduced files are named in the summary.
constexpr int kNamedUnproduced = 10;

QString Parent(const QString& relative) {
    const qsizetype slash = relative.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : relative.left(slash);
}

} // namespace

TOutputWriter::TOutputWriter(const QString& root) : root_(QDir::cleanPath(root)) {
    folders_.insert(QString());
}

QString TOutputWriter::Absolute(const QString& relative) const {
    return relative.isEmpty() ? root_ : root_ + QLatin1Char('/') + relative;
}

void TOutputWriter::MakeFolder(const QString& relative) {
    if (folders_.contains(relative))
        return;
    // A folder this run creates holds no earlier file: its files are written without a look.
    if (!QFileInfo::exists(Absolute(relative)) && !QFileInfo(Absolute(relative)).isSymLink())
        newFolders_.insert(relative);
    TFileOperate::MakeFolderBelow(root_, Absolute(relative));
    for (QString level = relative; !level.isEmpty(); level = Parent(level))
        folders_.insert(level);
}

void TOutputWriter::Count(const QString& relative, bool changed) {
    produced_.insert(relative);
    ++(changed ? written_ : unchanged_);
}

void TOutputWriter::WriteFile(const QString& relative, const QByteArray& bytes) {
    const QString folder = Parent(relative);
    MakeFolder(folder);
    if (newFolders_.contains(folder)) {
        TFileOperate::WriteWhole(Absolute(relative), bytes);
        Count(relative, true);
        return;
    }
    Count(relative, TFileOperate::WriteIfChanged(Absolute(relative), bytes));
}

bool TOutputWriter::CopyFile(const QString& source, const QString& relative) {
    MakeFolder(Parent(relative));
    bool changed = true;
    if (!TFileOperate::CopyFile(source, Absolute(relative), &changed))
        return false;
    Count(relative, changed);
    return true;
}

bool TOutputWriter::CopyFolder(const QString& source, const QString& relative,
                               const QStringList& skipped) {
    TCopyReport report;
    if (!TFileOperate::CopyFolder(source, Absolute(relative), true, &report, skipped))
        return false;
    const QDir root(root_);
    for (const QString& path : report.written)
        Count(root.relativeFilePath(path), true);
    for (const QString& path : report.unchanged)
        Count(root.relativeFilePath(path), false);
    return true;
}

void TOutputWriter::Kept(const QString& relative) {
    produced_.insert(relative);
    ++kept_;
}

QStringList TOutputWriter::Unproduced(const QStringList& folders) const {
    QStringList found;
    for (const QString& folder : folders) {
        const QDir dir(Absolute(folder));
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            const QString relative = folder.isEmpty() ? name : folder + QLatin1Char('/') + name;
            if (!produced_.contains(relative))
                found << relative;
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

QString TOutputWriter::Summary(const QStringList& unproduced) const {
    QString line = QStringLiteral("本次生成: 改写%1个文件, %2个文件没有变化, 保留%3个已修改的文件")
                       .arg(written_)
                       .arg(unchanged_)
                       .arg(kept_);
    if (unproduced.isEmpty())
        return line;
    line += QStringLiteral("; 模型中没有的%1个文件仍在 (没有删除): ").arg(unproduced.size());
    line += unproduced.mid(0, kNamedUnproduced).join(QStringLiteral(", "));
    if (unproduced.size() > kNamedUnproduced)
        line += QStringLiteral(" 等");
    return line;
}
