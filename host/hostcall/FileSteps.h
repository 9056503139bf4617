// The steps of --export and --import, which work the company manager's file
// dialog and import preview.
#pragma once

#include <QString>

#include <functional>

#include "PageScript.h"

namespace HostCall {

// A step that chooses path in the file dialog that is up.
TPageStep ChooseFile(const QString& path, const QString& nameFilter);

// A step that prints the import preview's rows, then imports or cancels.
TPageStep WorkPreview(bool dryRun, std::function<void(const QString&)> print);

}  // namespace HostCall
