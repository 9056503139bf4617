// The steps of --export and --import, which work the company manager's file
// dialog and import preview, and of --history, which reads the information
// page's list of changes.
#pragma once

#include <QString>

#include <functional>

#include "PageScript.h"

namespace HostCall {

// A step that chooses path in the file dialog that is up.
TPageStep ChooseFile(const QString& path, const QString& nameFilter);

// A step that prints the import preview's rows, then imports or cancels.
TPageStep WorkPreview(bool dryRun, std::function<void(const QString&)> print);

// A step that prints every row of the page's list of changes, its captions
// first, the cells joined by "|".
TPageStep PrintHistory(std::function<void(const QString&)> print);

}  // namespace HostCall
