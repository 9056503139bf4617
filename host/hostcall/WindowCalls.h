// The entry points that show a window: a page, shown in a container of
// hostcall's own, or the modal company dialog. The steps work the window
// while it is up, and what it left open is closed at the end.
#pragma once

#include "Options.h"

class ModuleApi;

namespace HostCall {

// Shows the page, works it with the steps, closes it as a host does (1280)
// and prints what happened. Returns the exit code.
int CallPage(const Options& options, const ModuleApi& module);

// Calls the modal company dialog; the steps work the dialog while it is up,
// and it is closed unsaved if still open when they have run out.
int CallDialog(const Options& options, const ModuleApi& module);

}  // namespace HostCall
