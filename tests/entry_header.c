/* Compiled as C against the public header: the header must be valid C, and it
 * must declare each entry point with the type a host casts dlsym's result to.
 * The names go to entry_points_test.cpp, which looks each one up. */
#include <stddef.h>

#include "companymgr/companymgr.h"

#define COMPANYMGR_ENTRIES(X)                           \
    X(LoadSelectCompanyForm, CompanyMgrParamEntry)      \
    X(InitGlobalCompanyInfo, CompanyMgrParamEntry)      \
    X(RefreshCurrentCompanyInfo, CompanyMgrNoArgsEntry) \
    X(CallBackToWriteQYDSXX, CompanyMgrWriteBackEntry)  \
    X(CallBackToWriteQYGSXX, CompanyMgrWriteBackEntry)  \
    X(CallBackToWriteQYJCXX, CompanyMgrWriteBackEntry)  \
    X(ShowCompanyMgrProc, CompanyMgrPageEntry)          \
    X(ShowGljgszProc, CompanyMgrPageEntry)              \
    X(ShowBsyxxszProc, CompanyMgrPageEntry)             \
    X(LoadAdvSwitchCompanyForm, CompanyMgrParamEntry)   \
    X(ShowComapnayInfoProc, CompanyMgrIdFlagEntry)      \
    X(ShowComapnayInfoInnerProc, CompanyMgrPageEntry)

/* Unevaluated, so the test needs no link to the module. */
#define CHECK_TYPE(name, type) \
    _Static_assert(_Generic(&name, type : 1, default : 0), #name " is not declared as " #type);
COMPANYMGR_ENTRIES(CHECK_TYPE)

#define NAME(name, type) #name,
const char* const companymgr_header_entries[] = {COMPANYMGR_ENTRIES(NAME) NULL};
