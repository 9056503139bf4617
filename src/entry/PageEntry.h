// What every page-showing entry point does with the host's arguments: read the
// parameter string, and hand the page to the host's container, taking it back
// when the host does not.
#pragma once

#include <QWidget>

#include <cstdint>
#include <string>

#include "ModuleForm.h"

// The parameter string the host passed; empty when it passed none.
std::string PageParams(char** paramString);

// Shows form for the host with the "ModalFormMsg" of params and the shown
// message's last flag; a form the host does not take is deleted.
void DockPage(std::uintptr_t parentHandle, QWidget* form, const std::string& params,
              bool flag = true);

// A new Form, docked; nothing when no widget application runs.
template <typename Form>
void ShowPage(std::uintptr_t parentHandle, char** paramString) {
    if (!ModuleGuiAvailable()) {
        return;
    }
    DockPage(parentHandle, new Form(), PageParams(paramString));
}
