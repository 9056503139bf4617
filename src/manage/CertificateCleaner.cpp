#include "CertificateCleaner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "IniSectionEraser.h"

namespace {

constexpr QDir::Filters kEveryEntry =
    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;

// Removes an entry that is no folder, or a link to anything, as itself.
bool RemoveEntry(const QString& path) {
    return QFile::remove(path);
}

}  // namespace

namespace CertificateCleaner {

bool IsSafeName(const QString& taxId) {
    if (taxId.isEmpty() || taxId == QLatin1String(".") || taxId == QLatin1String("..")) {
        return false;
    }
    for (const QChar c : taxId) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(']') ||
            c.category() == QChar::Other_Control) {
            return false;
        }
    }
    return true;
}

bool RemoveFolderTree(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink()) {
        return RemoveEntry(path);
    }
    if (!info.isDir()) {
        return false;
    }
    const QDir folder(path);
    for (const QFileInfo& entry : folder.entryInfoList(kEveryEntry)) {
        if (entry.isDir() && !entry.isSymLink()) {
            RemoveFolderTree(entry.filePath());
        } else {
            RemoveEntry(entry.filePath());
        }
    }
    return QDir().rmdir(path);
}

void CleanUp(const QString& caFolder, const QString& taxIdText) {
    const QString taxId = taxIdText.trimmed();
    if (!IsSafeName(taxId)) {
        return;
    }
    const QDir ca(caFolder);
    if (!ca.exists()) {
        return;
    }
    for (const QFileInfo& kind : ca.entryInfoList(kEveryEntry)) {
        // A linked entry could lead the clean-up out of "CA/".
        if (kind.isSymLink() || !kind.isDir()) {
            continue;
        }
        const QString folder = kind.filePath() + QLatin1Char('/');
        const QString index = folder + QStringLiteral("UserCa_%1.ini").arg(kind.fileName());
        const QFileInfo indexInfo(index);
        if (!indexInfo.isSymLink() && indexInfo.isFile()) {
            IniSectionEraser::EraseFromFile(index, taxId);
        }
        const QString taxpayerFolder = folder + taxId;
        const QFileInfo taxpayerInfo(taxpayerFolder);
        if (taxpayerInfo.isSymLink() || taxpayerInfo.isDir()) {
            RemoveFolderTree(taxpayerFolder);
        }
    }
}

}  // namespace CertificateCleaner
