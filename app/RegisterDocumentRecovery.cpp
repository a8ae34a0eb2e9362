// The register's side of the work journal: where the grid came from, and
// the work recovered from a journal after a crash.
#include "app/RegisterDocument.h"

#include "grid/FlexGrid.h"
#include "journal/WorkJournal.h"
#include "register/RegisterLayout.h"
#include "storage/KeptVersions.h"
#include "storage/RegisterWriter.h"

#include <QDir>
#include <QFileInfo>

JournalFormat::Origin RegisterDocument::origin() const
{
    JournalFormat::Origin origin;
    origin.programFolder = QFileInfo(programFolder_).absoluteFilePath();
    origin.source = int(source_);
    origin.name = archiveName_;
    origin.registerPath = registerPath();
    if (registerStamp_) {
        origin.stamped = true;
        origin.device = qint64(registerStamp_->device);
        origin.inode = qint64(registerStamp_->inode);
        origin.size = registerStamp_->size;
        origin.modifiedNs = registerStamp_->modifiedNs;
        origin.changedNs = registerStamp_->changedNs;
    }
    return origin;
}

void RegisterDocument::recovered(const JournalFormat::Origin& origin)
{
    source_ = Source(std::clamp(origin.source, int(Source::Nothing), int(Source::Archive)));
    archiveName_ = origin.name;
    registerStamp_.reset();
    if (origin.stamped) {
        registerStamp_ = FileStamp{quint64(origin.device), quint64(origin.inode), origin.size,
                                   origin.modifiedNs, origin.changedNs};
        // A file rewritten since with its times put back still counts as changed.
        const bool sameStamp = FileStamp::of(registerPath()) == registerStamp_;
        if (sameStamp && origin.hashed && WorkJournal::fileHash(registerPath()) != origin.hash)
            registerStamp_->size = -1;
    }
    savedRevision_.reset();
}

JournalFormat::Origin RegisterDocument::fromElsewhere(JournalFormat::Origin origin)
{
    origin.source = int(Source::Nothing);
    origin.stamped = false;
    origin.name.clear();
    return origin;
}

QString RegisterDocument::originName(const JournalFormat::Origin& origin)
{
    if (Source(origin.source) == Source::Archive)
        return origin.name;
    return QDir::toNativeSeparators(origin.registerPath);
}

RegisterWriter::KeptWork RegisterDocument::keepRecovered(const GridModel& grid, const JournalFormat::Origin& origin)
{
    QString name = RegisterLayout::registerKeptName.toString();
    if (Source(origin.source) == Source::Archive)
        name = QFileInfo(origin.name).completeBaseName();
    // Never pruned: each is the only copy of work the user chose not to take back.
    return RegisterWriter::keepAsVersion(grid, backupFolder(), name + QStringLiteral("-recovered"));
}
