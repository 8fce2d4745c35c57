#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

#include "FileOperate.h"

// The files of one run under its output folder. Each folder is made real (a link in its place
// replaced, never followed) once per run; a file whose bytes are already on disk is left as
// it is (its time and inode kept), any other is written whole through a partial file renamed
// over it. Counts what it wrote, what it left unchanged and what it kept as the user changed
// it, and lists the files of the generated folders the run did not produce.
class TOutputWriter {
public:
    // root: the output folder, absolute; it exists and is a real folder.
    explicit TOutputWriter(const QString& root);

    // Makes the folder (relative to root, "" for root itself) and every level up to root.
    void MakeFolder(const QString& relative);
    // Writes the bytes unless the file holds them already; makes its folder first.
    void WriteFile(const QString& relative, const QByteArray& bytes);
    // Copies a file into root; false when the source is missing or a folder.
    bool CopyFile(const QString& source, const QString& relative);
    // Copies a folder into root (files directly in the target are kept); false when the source
    // cannot be listed.
    bool CopyFolder(const QString& source, const QString& relative,
                    const QStringList& skipped = {});
    // A file left as the user changed it.
    void Kept(const QString& relative);

    // The files directly in these folders (relative to root) that the run did not produce.
    QStringList Unproduced(const QStringList& folders) const;
    // "本次生成: 改写N个文件, N个文件没有变化, 保留N个已修改的文件", then the unproduced files.
    QString Summary(const QStringList& unproduced) const;

private:
    QString Absolute(const QString& relative) const;
    void Count(const QString& relative, bool changed);

    QString root_;
    QSet<QString> folders_;    // made real in this run, relative
    QSet<QString> newFolders_; // of those, the ones that were not there before
    QSet<QString> produced_;
    int written_ = 0;
    int unchanged_ = 0;
    int kept_ = 0;
};
