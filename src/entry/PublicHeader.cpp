// What the public header tells hosts, held against what this build does: a
// change on one side without the other does not compile.
#include <string_view>

#include "EntryExport.h"
#include "ParamString.h"
#include "WindowMessage.h"

static_assert(COMPANYMGR_PARAM_BUFFER_MIN == ParamString::kHostBufferSize);

static_assert(COMPANYMGR_MSG_CLOSE_PAGE == HostMsg::kClosePage);
static_assert(COMPANYMGR_MSG_FORM_SHOWN == HostMsg::kFormShown);
static_assert(COMPANYMGR_MSG_HELP == HostMsg::kHelp);
static_assert(COMPANYMGR_MSG_FORM_DESTROYED == HostMsg::kFormDestroyed);
static_assert(COMPANYMGR_MSG_APPLY_SKIN == HostMsg::kApplySkin);
static_assert(COMPANYMGR_MSG_PAGE_STATE == HostMsg::kPageState);
static_assert(COMPANYMGR_MSG_FORM_SAVED == HostMsg::kFormSaved);
static_assert(COMPANYMGR_MSG_ACTIVATED == HostMsg::kNcActivate);

// The library's name and version come from the build files.
static_assert(std::string_view(COMPANYMGR_MODULE_FILE) == COMPANYMGR_BUILT_SONAME);
static_assert(COMPANYMGR_VERSION_MAJOR == COMPANYMGR_BUILT_VERSION_MAJOR);
static_assert(COMPANYMGR_VERSION_MINOR == COMPANYMGR_BUILT_VERSION_MINOR);
