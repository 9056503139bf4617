/* CompanyMgr: the company-management module, as a host program calls it.
 *
 * The module is a shared library (libCompanyMgr.so.1) that a host opens with
 * dlopen and whose entry points it looks up by name with dlsym. This header
 * declares them with their exact signatures; it compiles as C and as C++.
 *
 * Besides the entry points, a host provides the module's services: the
 * database, the settings, the log, message boxes and its own context (the
 * operator and the current company). They are declared in HostServices.h
 * beside this header; the reference host library (libModuleLib.so.1, setup
 * in HostSetup.h) implements all of them and is what the module links
 * against. A host that uses it calls HostSetup::Start on its application
 * folder before the first entry point.
 *
 * Calling rules
 * - Call every entry point on the thread of the host's Qt application.
 *   Windows need a QApplication there; without one, an entry point that would
 *   show a window shows none (and, where it answers, returns false).
 * - No entry point lets an exception or a crash of its own reach the host:
 *   a failure is false (or, for the pages, no page).
 * - Never dlclose the module: the host's objects may hold objects it made.
 *
 * Parameter strings
 * Entry points that take (int count, char** buffers) read a parameter string
 * from buffers[0] and write their answer back into the same buffer. A
 * parameter string is name=value pairs joined by ';' ("CZY_DM=0001;CZY_LB=0"),
 * UTF-8, zero-terminated; inside a value '=' is written "&eq%" and ';' is
 * written "&lim%" (ParamString.h codes and decodes them). The module is not told the buffer's size,
 * so the buffer must hold at least COMPANYMGR_PARAM_BUFFER_MIN bytes, or the incoming string's
 * length plus one when that is more; a host that passes less is outside the contract. The answer is
 * written as whole pairs only: when the pairs an entry point set do not fit, it writes none of them
 * (the buffer keeps what it came with), logs an error and returns false, so true always comes with
 * its answer.
 */
#ifndef COMPANYMGR_COMPANYMGR_H
#define COMPANYMGR_COMPANYMGR_H

#include <stdbool.h>
#include <stdint.h>

#define COMPANYMGR_VERSION_MAJOR 1
#define COMPANYMGR_VERSION_MINOR 0

/* File name a host passes to dlopen (the library's SONAME). */
#define COMPANYMGR_MODULE_FILE "libCompanyMgr.so.1"

/* Smallest parameter-string buffer, in bytes (see above). */
#define COMPANYMGR_PARAM_BUFFER_MIN 500

/* Window messages between the module's windows and the host's main window
 * (the window registered with HostSetup::SetMainFrame). They travel as one
 * Qt event, THostMessageEvent (WindowMessage.h), sent synchronously; a text
 * message carries its text, a plain one wParam and lParam. */
/* host -> page: close. A page holding unsaved edits first asks the operator
 * (save, give them up, or stay); the message is refused (SendHostMessage
 * returns false) when the page stays open. */
#define COMPANYMGR_MSG_CLOSE_PAGE 1280
/* page -> host, text "<ModalFormMsg>|<window id>|<help 0/1>|<flag 0/1>": a page
 * was docked into a host container; sent when the page entry point's
 * parameter string has a non-empty ModalFormMsg. */
#define COMPANYMGR_MSG_FORM_SHOWN 1282
/* window -> host, wParam 0, lParam 0: F1 was pressed; the page to open is the
 * one last set through ModuleLib::SetgsHelpHtml. */
#define COMPANYMGR_MSG_HELP 1296
/* page -> host, text: the function code of a page being destroyed. */
#define COMPANYMGR_MSG_FORM_DESTROYED 1302
/* host -> window: apply the host's skin colours again. */
#define COMPANYMGR_MSG_APPLY_SKIN 1303
/* page -> host, text "max" or "reset": maximise the page's frame or restore it. */
#define COMPANYMGR_MSG_PAGE_STATE 1329
/* window -> host, text: the function code of a window that saved the
 * operator's edits. Its own message boxes are unchanged; a host may note the
 * save, for example in its status bar, or ignore the message. */
#define COMPANYMGR_MSG_FORM_SAVED 1330
/* page -> host, wParam 1, lParam 0: a page became the active one. */
#define COMPANYMGR_MSG_ACTIVATED 134

/* Numbered messages the module shows through ModuleLib::InforMsg; the host
 * holds their texts ("%1" stands for the extra text). 106008 is a question:
 * 1 confirms it. The reference host's table has them all.
 *   106002 no company the operator may use       106004 no company chosen
 *   106007 the current company cannot be deleted 106008 delete company %1?
 *   106009 company deleted                       106010 delete failed
 *   106013 tax id missing                        106015 phone number invalid
 *   106016 adding failed                         106017 company added
 *   106018 saving failed                         106019 company saved
 *   106020 reloading the current company failed  106021 company code missing
 *   106022 phone number invalid                  106023 fax number invalid
 *   106024 e-mail address invalid */

#ifdef __cplusplus
class TDataVO;
extern "C" {
#else
/* The named value object (f_DataVO.h); opaque to C. */
typedef struct TDataVO TDataVO;
#endif

#define COMPANYMGR_ENTRY __attribute__((visibility("default")))

/* Chooses the current company for an operator. In: CZY_DM (operator code),
 * CZY_LB (operator class). With one company the operator may use, that one;
 * with more, a modal selection dialog. Out on true: QYID and QYSBH of the
 * chosen company; ResultMsgStr when the operator is missing. Shows message
 * 106002 when there is no company. */
COMPANYMGR_ENTRY bool LoadSelectCompanyForm(int count, char** buffers);

/* Loads a company as the host's current company (ModuleLib::GetCompanyInfoVO).
 * In: CZY_DM, CZY_LB, QYID. Out on false: ResultMsgStr. */
COMPANYMGR_ENTRY bool InitGlobalCompanyInfo(int count, char** buffers);

/* Reads the current company again from the database, for the operator of
 * ModuleLib::GetUserInfoVO. False when there is no current company. */
COMPANYMGR_ENTRY bool RefreshCurrentCompanyInfo(void);

/* Store registration data other modules fetched for a company: local tax
 * (QYDSXX), state tax (QYGSXX) and basic data (QYJCXX). companyId is the
 * company's QYID as decimal text; the data object stays the caller's. False,
 * with a warning in the log, when nothing was stored. */
COMPANYMGR_ENTRY bool CallBackToWriteQYDSXX(const char* companyId, TDataVO* data);
COMPANYMGR_ENTRY bool CallBackToWriteQYGSXX(const char* companyId, TDataVO* data);
COMPANYMGR_ENTRY bool CallBackToWriteQYJCXX(const char* companyId, TDataVO* data);

/* Pages. appHandle is unused (host and module share one application);
 * parentHandle is the window id (QWidget::winId) of the host container the
 * page fills, or 0 for a window of its own; *paramString (may be null) is a
 * parameter string read, never written. ModalFormMsg=TEXT asks for
 * COMPANYMGR_MSG_FORM_SHOWN. The page deletes itself when closed. */
/* The company manager: list, search, add, delete, edit companies. */
COMPANYMGR_ENTRY void ShowCompanyMgrProc(uintptr_t appHandle, uintptr_t parentHandle,
                                         char** paramString);
/* The tax agency's settings (an agency's installation). */
COMPANYMGR_ENTRY void ShowGljgszProc(uintptr_t appHandle, uintptr_t parentHandle,
                                     char** paramString);
/* The tax officer's settings. */
COMPANYMGR_ENTRY void ShowBsyxxszProc(uintptr_t appHandle, uintptr_t parentHandle,
                                      char** paramString);
/* A company's information page. Parameters: QYID (default: the current
 * company), TOVIEW=true|false (view only, default false), CLOSEPREV=true|false
 * (close the page below it, default true). */
COMPANYMGR_ENTRY void ShowComapnayInfoInnerProc(uintptr_t appHandle, uintptr_t parentHandle,
                                                char** paramString);

/* An agency's company switch: lists the companies the current company's
 * agency serves. Only buffers[0] is read; out on true: QYID and QYSBH. */
COMPANYMGR_ENTRY bool LoadAdvSwitchCompanyForm(int count, char** buffers);

/* A company's information dialog, modal. True after the operator saved. */
COMPANYMGR_ENTRY bool ShowComapnayInfoProc(const char* companyId, bool viewOnly);

/* Pointer types for dlsym's results. */
typedef bool (*CompanyMgrParamEntry)(int count, char** buffers);
typedef bool (*CompanyMgrNoArgsEntry)(void);
typedef bool (*CompanyMgrWriteBackEntry)(const char* companyId, TDataVO* data);
typedef void (*CompanyMgrPageEntry)(uintptr_t appHandle, uintptr_t parentHandle,
                                    char** paramString);
typedef bool (*CompanyMgrIdFlagEntry)(const char* companyId, bool viewOnly);

#ifdef __cplusplus
}
#endif

#endif
