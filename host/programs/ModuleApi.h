// The module as a host program sees it: a shared library opened with dlopen
// whose entry points are looked up by name. Never unloaded, since the host's
// objects may hold objects the module made.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>

class TDataVO;

class ModuleApi {
  public:
    // Size of the parameter-string buffer a host hands to an entry point.
    static constexpr std::size_t kBufferSize = 500;

    bool Load(const QString& path, QString& errorText);
    bool IsLoaded() const { return handle_ != nullptr; }
    void* Symbol(const char* name) const;

    // Entry points that take (count, buffers): params goes in and comes back.
    bool CallWithParams(const char* entry, std::string& params) const;
    bool CallNoArgs(const char* entry) const;
    bool CallWriteBack(const char* entry, const std::string& companyId, TDataVO* data) const;
    // Entry points that take (id, flag), such as the modal company dialog.
    bool CallIdFlag(const char* entry, const std::string& id, bool flag) const;
    // Entry points that show a page, (appHandle, parentHandle, &paramString),
    // with no result: false only when the module has no such entry point.
    // params holds at most kBufferSize - 1 bytes; the page reads it.
    bool ShowPage(const char* entry, std::uintptr_t appHandle, std::uintptr_t parentHandle,
                  const std::string& params) const;

    // Where the module library is: an explicit path, COMPANYMGR_MODULE, next
    // to the program, or in the library folder of an installed program.
    static QString DefaultPath(const QString& explicitPath);

  private:
    void* handle_ = nullptr;
};
