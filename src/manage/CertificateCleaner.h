// Removing a deleted company's certificate files. The application folder's
// "CA/" holds one folder per certificate kind S; each may hold the index
// "UserCa_S.ini", with one section per taxpayer id, and a folder per taxpayer
// id with that taxpayer's certificate files.
#pragma once

#include <QString>

namespace CertificateCleaner {

// True when the trimmed taxpayer id can name a folder and an INI section
// without reaching anything else: not empty, not "." or "..", and without "/",
// "\", "]" or control characters.
bool IsSafeName(const QString& taxId);

// For every folder of caFolder: erases the taxpayer's section from its index
// and removes the taxpayer's folder with everything in it. Links among the
// entries of caFolder, and an index that is a link, are skipped; inside the
// taxpayer's folder links are removed as links. Nothing is reported: what is
// missing or cannot be removed is left.
void CleanUp(const QString& caFolder, const QString& taxIdText);

// Removes a folder with everything in it, never following a link (a link is
// removed itself). True when the folder is gone.
bool RemoveFolderTree(const QString& path);

}  // namespace CertificateCleaner
