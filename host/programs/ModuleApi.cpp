#include "ModuleApi.h"

#include <QCoreApplication>

#include <dlfcn.h>

#include <cstring>

namespace {
using BufferEntry = bool (*)(int, char**);
using NoArgsEntry = bool (*)();
using WriteBackEntry = bool (*)(const char*, TDataVO*);
}  // namespace

std::vector<std::pair<QString, QString>> ParamPairs(const QString& params) {
    std::vector<std::pair<QString, QString>> pairs;
    for (const QString& piece : params.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype mark = piece.indexOf(QLatin1Char('='));
        if (mark <= 0) {
            continue;
        }
        QString value = piece.mid(mark + 1);
        value.replace(QLatin1String("&eq%"), QLatin1String("="));
        value.replace(QLatin1String("&lim%"), QLatin1String(";"));
        pairs.emplace_back(piece.left(mark), value);
    }
    return pairs;
}

QString ParamValue(const QString& params, const QString& name) {
    for (const auto& [key, value] : ParamPairs(params)) {
        if (key == name && !value.isEmpty()) {
            return value;
        }
    }
    return QString();
}

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
    std::memcpy(buffer, params.data(), std::min(params.size(), kBufferSize - 1));
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

QString ModuleApi::DefaultPath(const QString& explicitPath) {
    if (!explicitPath.isEmpty()) {
        return explicitPath;
    }
    const QString fromEnvironment = qEnvironmentVariable("COMPANYMGR_MODULE");
    if (!fromEnvironment.isEmpty()) {
        return fromEnvironment;
    }
    return QCoreApplication::applicationDirPath() + QStringLiteral("/libCompanyMgr.so");
}
