// What makes the writes of a scope, as the companies' history names it; the
// database records it with every change the scope's writes make.
#pragma once

#include <QString>

#include "HostServices.h"

namespace ChangeSources {

inline constexpr const char* kInfoPage = "信息页";
inline constexpr const char* kInfoDialog = "信息对话框";
inline constexpr const char* kAdd = "新增";
inline constexpr const char* kDelete = "删除";
inline constexpr const char* kImport = "导入";
inline constexpr const char* kAgency = "代理机构设置";
inline constexpr const char* kOfficer = "办税员设置";
// The write-backs go by their entry points' names.
inline constexpr const char* kLocalTaxWriteBack = "CallBackToWriteQYDSXX";
inline constexpr const char* kStateTaxWriteBack = "CallBackToWriteQYGSXX";
inline constexpr const char* kBasicWriteBack = "CallBackToWriteQYJCXX";

}  // namespace ChangeSources

// Names the source for a scope; the one before it comes back at its end.
class TChangeSource {
  public:
    explicit TChangeSource(const char* source) : previous_(ModuleLib::ChangeSource()) {
        ModuleLib::SetChangeSource(QString::fromUtf8(source));
    }
    ~TChangeSource() { ModuleLib::SetChangeSource(previous_); }
    TChangeSource(const TChangeSource&) = delete;
    TChangeSource& operator=(const TChangeSource&) = delete;

  private:
    QString previous_;
};
