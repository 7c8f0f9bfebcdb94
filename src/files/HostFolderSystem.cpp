// The chooser's file system queries through QFileInfo, QDir and QStorageInfo.
#include "files/HostFolderSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace voltaris {

namespace {

QString Native(const std::string& text) {
    return QDir::fromNativeSeparators(QString::fromStdString(text));
}

// The type of the volume a storage entry is on, told apart by its file system.
DriveType TypeOfStorage(const QStorageInfo& storage) {
    if (!storage.isValid()) {
        return DriveType::NoRootDir;
    }
    const QString type = QString::fromUtf8(storage.fileSystemType()).toLower();
    static const char* const kRemote[] = {"nfs", "cifs", "smb", "sshfs", "9p", "afs", "webdav"};
    for (const char* remote : kRemote) {
        if (type.contains(QLatin1String(remote))) {
            return DriveType::Remote;
        }
    }
    if (type == "iso9660" || type == "udf" || type == "cdfs") {
        return DriveType::CdRom;
    }
    return DriveType::Fixed;
}

}  // namespace

std::string HostFolderSystem::absolute(const std::string& path) const {
    const QDir shown(Native(m_shownFolder()));
    return QDir::cleanPath(shown.absoluteFilePath(Native(path))).toStdString();
}

FolderSystem::Kind HostFolderSystem::kind(const std::string& path) const {
    const QFileInfo info(QString::fromStdString(absolute(path)));
    if (!info.exists()) {
        return Kind::Missing;
    }
    return info.isDir() ? Kind::Folder : Kind::File;
}

DriveType HostFolderSystem::driveType(char letter) const {
    if (HostPathSyntax() != PathSyntax::Windows) {
        return DriveType::NoRootDir;  // no drive letters here
    }
    return TypeOfStorage(QStorageInfo(QString("%1:/").arg(QChar(letter))));
}

DriveType HostFolderSystem::volumeType(const std::string& path) const {
    // The folder would be made on the volume of its nearest existing parent.
    QString existing = QString::fromStdString(absolute(path));
    while (!QFileInfo::exists(existing)) {
        const QString parent = QFileInfo(existing).path();
        if (parent == existing) {
            break;
        }
        existing = parent;
    }
    return TypeOfStorage(QStorageInfo(existing));
}

bool HostFolderSystem::createFolders(const std::string& path) {
    return QDir().mkpath(QString::fromStdString(absolute(path)));
}

std::vector<FolderEntry> HostFolderSystem::entries(const std::string& folder,
                                                   const std::string& prefix) const {
    const Qt::CaseSensitivity sensitivity =
        HostPathSyntax() == PathSyntax::Windows ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const QString start = QString::fromStdString(prefix);
    std::vector<FolderEntry> found;
    const QDir dir(QString::fromStdString(absolute(folder)));
    for (const QFileInfo& info :
         dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
        if (info.fileName().startsWith(start, sensitivity)) {
            found.push_back({info.fileName().toStdString(), info.isDir()});
        }
    }
    return found;
}

}  // namespace voltaris
