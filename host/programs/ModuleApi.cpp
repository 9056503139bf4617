#include "ModuleApi.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <dlfcn.h>

#include <cstring>

#include "ParamString.h"

namespace {
using BufferEntry = bool (*)(int, char**);
using NoArgsEntry = bool (*)();
using WriteBackEntry = bool (*)(const char*, TDataVO*);
using IdFlagEntry = bool (*)(const char*, bool);
using PageEntry = void (*)(std::uintptr_t, std::uintptr_t, char**);
}  // namespace

bool ModuleApi::Load(const QString& path, QString& errorText) {
    handle_ = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        errorText = QString::fromLocal8Bit(dlerror());
        return false;
    }
    return true;
}

void* ModuleApi::Symbol(const char* name) const {
    return handle_ != nullptr ? dlsym(handle_, name) : nullptr;
}

bool ModuleApi::CallWithParams(const char* entry, std::string& params) const {
    auto function = reinterpret_cast<BufferEntry>(Symbol(entry));
    if (function == nullptr) {
        return false;
    }
    char buffer[kBufferSize] = {};
    // Too long a string loses whole pairs at its end, never half a value.
    ParamString::CopyToBuffer(params, buffer, sizeof buffer);
    char* buffers[] = {buffer};
    const bool result = function(1, buffers);
    params.assign(buffer, strnlen(buffer, sizeof buffer));
    return result;
}

bool ModuleApi::CallNoArgs(const char* entry) const {
    auto function = reinterpret_cast<NoArgsEntry>(Symbol(entry));
    return function != nullptr && function();
}

bool ModuleApi::CallWriteBack(const char* entry, const std::string& companyId,
                              TDataVO* data) const {
    auto function = reinterpret_cast<WriteBackEntry>(Symbol(entry));
    return function != nullptr && function(companyId.c_str(), data);
}

bool ModuleApi::CallIdFlag(const char* entry, const std::string& id, bool flag) const {
    auto function = reinterpret_cast<IdFlagEntry>(Symbol(entry));
    return function != nullptr && function(id.c_str(), flag);
}

bool ModuleApi::ShowPage(const char* entry, std::uintptr_t appHandle, std::uintptr_t parentHandle,
                         const std::string& params) const {
    auto function = reinterpret_cast<PageEntry>(Symbol(entry));
    if (function == nullptr) {
        return false;
    }
    char buffer[kBufferSize] = {};
    ParamString::CopyToBuffer(params, buffer, sizeof buffer);
    char* text = buffer;
    function(appHandle, parentHandle, &text);
    return true;
}

QString ModuleApi::DefaultPath(const QString& explicitPath) {
    if (!explicitPath.isEmpty()) {
        return explicitPath;
    }
    const QString fromEnvironment = qEnvironmentVariable("COMPANYMGR_MODULE");
    if (!fromEnvironment.isEmpty()) {
        return fromEnvironment;
    }
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString beside = programDir + QStringLiteral("/libCompanyMgr.so");
    // An installed program finds the module in the library folder instead.
    const QString installed = programDir + QStringLiteral("/" COMPANYMGR_INSTALLED_MODULE);
    return QFileInfo::exists(beside) || !QFileInfo::exists(installed) ? beside : installed;
}
