#include "PageEntry.h"

#include "ParamString.h"

std::string PageParams(char** paramString) {
    return paramString != nullptr && *paramString != nullptr ? std::string(*paramString)
                                                             : std::string();
}

void DockPage(std::uintptr_t parentHandle, QWidget* form, const std::string& params) {
    const QString modalFormMsg =
        QString::fromStdString(ParamString::GetParamValue(params, "ModalFormMsg"));
    if (!ShowModuleForm(parentHandle, form, modalFormMsg, false, QString(), QString(), true)) {
        // Not taken by the host: still ours.
        delete form;
    }
}
