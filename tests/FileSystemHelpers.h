#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <unistd.h>

// Ways to make saving fail for real. Root ignores permission bits, so as root
// a read-only place is made immutable (chattr +i) instead; both are undone
// when the guard goes.
class ReadOnlyGuard {
public:
    explicit ReadOnlyGuard(QString path)
        : path_(std::move(path))
    {
        if (geteuid() == 0) {
            ok_ = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path_}) == 0;
        } else {
            const auto permissions = QFile::permissions(path_);
            ok_ = QFile::setPermissions(
                path_, permissions & ~(QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther));
        }
    }
    ~ReadOnlyGuard()
    {
        if (geteuid() == 0)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
        else
            QFile::setPermissions(path_, QFile::permissions(path_) | QFile::WriteOwner | QFile::WriteUser);
    }
    bool ok() const { return ok_; }

private:
    QString path_;
    bool ok_ = false;
};

// A small tmpfs mounted on a folder, for a disk that fills up. Needs root.
class SmallFileSystem {
public:
    SmallFileSystem(const QString& folder, int kilobytes)
        : folder_(folder)
    {
        if (geteuid() != 0)
            return;
        mounted_ = QProcess::execute(QStringLiteral("mount"),
                       {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                           QStringLiteral("size=%1k").arg(kilobytes), QStringLiteral("tmpfs"), folder_}) == 0;
    }
    ~SmallFileSystem()
    {
        if (mounted_)
            QProcess::execute(QStringLiteral("umount"), {folder_});
    }
    bool mounted() const { return mounted_; }

private:
    QString folder_;
    bool mounted_ = false;
};
