#include "PageEntry.h"

#include "ParamString.h"

std::string PageParams(char** paramString) {
    return paramString != nullptr && *paramString != nullptr ? std::string(*paramString)
                                                             : std::string();
}

void DockPage(std::uintptr_t parentHandle, QWidget* form, const std::string& params, bool flag) {
    const QString modalFormMsg =
        QString::fromStdString(ParamString::GetParamValue(params, "ModalFormMsg"));
    if (!ShowModuleForm(parentHandle, form, modalFormMsg, false, QString(), QString(), flag)) {
        // Not taken by the host: still ours.
        delete form;
    }
}
