// Showing a module window: docked into a host container, or on its own.
#pragma once

#include <QList>
#include <QString>

#include "HostServices.h"

class QWidget;

// True when a widget application is running, not closing down, and this is
// its thread. Entry points that make windows check this first: without it
// they return false or do nothing.
bool ModuleGuiAvailable();

// Shows form for the host.
//
// With a parent (the window id of a host container): the form becomes a
// borderless child filling the container (through the container's layout when
// it has one, else following its size) and is shown. When modalFormMsg (the
// entry point's "ModalFormMsg" value) is not empty, the host's main window gets 1282 with the text
// "<ModalFormMsg>|<form window id>|<help 0/1>|<flag 0/1>"; with helpFlag the
// host's help page is set first, to helpFile or else to the second field of
// that text followed by ".htm".
//
// Without a parent (0): the form is shown as a stay-on-top window centred on
// the host's main window (or the screen when there is none). An id that names
// no window we know counts as no parent.
//
// A non-empty caption becomes the window title. Never throws. False when the
// form could not be shown; the caller keeps it then and must dispose of it.
bool ShowModuleForm(THandle parent, QWidget* form, const QString& modalFormMsg, bool helpFlag,
                    const QString& helpFile, const QString& caption, bool flag);

// The forms ShowModuleForm has shown that still exist, oldest first: the
// module's open pages, known where they are opened.
QList<QWidget*> ShownModuleForms();
