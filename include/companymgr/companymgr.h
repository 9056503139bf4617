/**
 * @file companymgr.h
 * @brief The company-management module as a host program calls it.
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
 * @par Calling rules
 * - Call every entry point on the thread of the host's Qt application.
 *   Windows need a QApplication there; without one, an entry point that would
 *   show a window shows none (and, where it answers, returns false).
 * - No entry point lets an exception or a crash of its own reach the host:
 *   a failure is false (or, for the pages, no page).
 * - Never dlclose the module: the host's objects may hold objects it made.
 * - An entry point that takes a company asks one gate first: a company the
 *   operator's class does not list (for a role, one not granted to it), or
 *   the agency's or the tax officer's own row, gets no page, no dialog, no
 *   load and no write, and the refusal is logged.
 *
 * @par Parameter strings
 * Entry points that take (int count, char** buffers) read a parameter string
 * from buffers[0] and write their answer back into the same buffer. A
 * parameter string is name=value pairs joined by ';' ("CZY_DM=0001;CZY_LB=0"),
 * UTF-8, zero-terminated; inside a value '=' is written "&eq%" and ';' is
 * written "&lim%" (ParamString.h codes and decodes them). The module is not
 * told the buffer's size, so the buffer must hold at least
 * #COMPANYMGR_PARAM_BUFFER_MIN bytes, or the incoming string's length plus
 * one when that is more; a host that passes less is outside the contract.
 * The answer is written as whole pairs only: when the pairs an entry point
 * set do not fit, it writes none of them (the buffer keeps what it came
 * with), logs an error and returns false, so true always comes with its
 * answer.
 *
 * @par Messages
 * The module speaks to the operator through the host: numbered messages
 * (ModuleLib::InforMsg, whose texts the host holds; "%1" stands for the extra
 * text), plain message boxes (ModuleLib::InfoMsgBox) and window messages to
 * the host's main window (COMPANYMGR_MSG_...). The numbered ones:
 *
 * | code   | meaning                          | code   | meaning                          |
 * |--------|----------------------------------|--------|----------------------------------|
 * | 106002 | no company the operator may use  | 106004 | no company chosen                |
 * | 106007 | the current company cannot be deleted | 106008 | delete company %1? (1 confirms) |
 * | 106009 | company deleted                  | 106010 | delete failed                    |
 * | 106013 | tax id missing                   | 106015 | phone number invalid             |
 * | 106016 | adding failed                    | 106017 | company added                    |
 * | 106018 | saving failed                    | 106019 | company saved                    |
 * | 106020 | reloading the current company failed | 106021 | company code missing         |
 * | 106022 | phone number invalid             | 106023 | fax number invalid               |
 * | 106024 | e-mail address invalid           |        |                                  |
 *
 * Every window the module shows may also send #COMPANYMGR_MSG_HELP (F1) and,
 * after a save, #COMPANYMGR_MSG_FORM_SAVED; one that holds unsaved edits asks
 * the plain question "save, give up or stay" (InfoMsgBox with flags 2)
 * however it is closed.
 */
#ifndef COMPANYMGR_COMPANYMGR_H
#define COMPANYMGR_COMPANYMGR_H

#include <stdbool.h>
#include <stdint.h>

/** Major version: the entry points' signatures and contracts change only with it. */
#define COMPANYMGR_VERSION_MAJOR 1
/** Minor version: additions that keep every older contract. */
#define COMPANYMGR_VERSION_MINOR 0

/** File name a host passes to dlopen (the library's SONAME). */
#define COMPANYMGR_MODULE_FILE "libCompanyMgr.so.1"

/** Smallest parameter-string buffer, in bytes (see "Parameter strings" above). */
#define COMPANYMGR_PARAM_BUFFER_MIN 500

/**
 * @name Window messages
 * Between the module's windows and the host's main window (the window
 * registered with HostSetup::SetMainFrame). They travel as one Qt event,
 * THostMessageEvent (WindowMessage.h), sent synchronously; a text message
 * carries its text, a plain one wParam and lParam.
 * @{
 */
/** host -> page: close. A page holding unsaved edits first asks the operator
 * (save, give them up, or stay); the message is refused (SendHostMessage
 * returns false) when the page stays open. */
#define COMPANYMGR_MSG_CLOSE_PAGE 1280
/** page -> host, text "<ModalFormMsg>|<window id>|<help 0/1>|<flag 0/1>": a
 * page was docked into a host container; sent when the page entry point's
 * parameter string has a non-empty ModalFormMsg. */
#define COMPANYMGR_MSG_FORM_SHOWN 1282
/** window -> host, wParam 0, lParam 0: F1 was pressed; the page to open is the
 * one last set through ModuleLib::SetgsHelpHtml. */
#define COMPANYMGR_MSG_HELP 1296
/** page -> host, text: the function code of a page being destroyed. */
#define COMPANYMGR_MSG_FORM_DESTROYED 1302
/** host -> window: apply the host's skin colours again. */
#define COMPANYMGR_MSG_APPLY_SKIN 1303
/** page -> host, text "max" or "reset": maximise the page's frame or restore it. */
#define COMPANYMGR_MSG_PAGE_STATE 1329
/** window -> host, text: the function code of a window that saved the
 * operator's edits. Its own message boxes are unchanged; a host may note the
 * save, for example in its status bar, or ignore the message. */
#define COMPANYMGR_MSG_FORM_SAVED 1330
/** page -> host, wParam 1, lParam 0: a page became the active one. */
#define COMPANYMGR_MSG_ACTIVATED 134
/** @} */

#ifdef __cplusplus
class TDataVO;
extern "C" {
#else
/* The named value object (f_DataVO.h); opaque to C. */
typedef struct TDataVO TDataVO;
#endif

/** Marks the exported entry points: the only symbols the module exports. */
#define COMPANYMGR_ENTRY __attribute__((visibility("default")))

/**
 * Chooses the current company for an operator; the host then loads it with
 * InitGlobalCompanyInfo.
 *
 * With one company the operator may use (or in the single-company edition,
 * "10"), that one is taken without a window; with more, a modal selection
 * dialog lists them, the operator's recent ones first.
 *
 * @param count   number of buffers; at least 1.
 * @param buffers buffers[0]: the parameter string, in and out, in a buffer of
 *                at least #COMPANYMGR_PARAM_BUFFER_MIN bytes (or its length
 *                plus one). In: CZY_DM (operator code), CZY_LB (operator
 *                class). Out on true: QYID and QYSBH of the chosen company.
 *                Out when CZY_DM or CZY_LB is missing: ResultMsgStr.
 * @return true when a company was chosen and the answer written; false when
 *         count or buffers[0] is missing, the operator is missing (logged),
 *         there is no company, the operator cancelled, no QApplication
 *         exists for the dialog, or the answer did not fit (logged).
 *
 * Messages: 106002 when the operator has no company; in the dialog, 106004
 * when confirmed without a row, and a message box when the list cannot be
 * read.
 */
COMPANYMGR_ENTRY bool LoadSelectCompanyForm(int count, char** buffers);

/**
 * Loads a company as the host's current company (ModuleLib::GetCompanyInfoVO):
 * its row, its local-tax (QYDSXX) and state-tax (QYGSXX) data as child
 * objects and, on an agency's installation, the agency (DLJGXX, and
 * ModuleLib::SetgsAgencyInfo). The company becomes the operator's most
 * recent one.
 *
 * @param count   number of buffers; at least 1.
 * @param buffers buffers[0]: the parameter string, in and out, in a buffer of
 *                at least #COMPANYMGR_PARAM_BUFFER_MIN bytes (or its length
 *                plus one). In: CZY_DM, CZY_LB, QYID. Out on false:
 *                ResultMsgStr.
 * @return true when the company was loaded; false when QYID is empty, the
 *         operator may not work for it, it cannot be read, or the buffers
 *         are missing. Every false leaves the error [70019504] in the log.
 *
 * Messages: none to the operator.
 */
COMPANYMGR_ENTRY bool InitGlobalCompanyInfo(int count, char** buffers);

/**
 * Reads the current company again from the database (as InitGlobalCompanyInfo
 * loads it), for example after another module changed it.
 *
 * @return false when there is no current company or it cannot be read.
 *
 * Messages: none.
 */
COMPANYMGR_ENTRY bool RefreshCurrentCompanyInfo(void);

/**
 * @name Registration data write-back
 * Store registration data other modules fetched for a company, for the
 * operator of ModuleLib::GetUserInfoVO, in one serialised step: local tax
 * (QYDSXX, requires KJYWRBM), state tax (QYGSXX, requires NSRSBH) and basic
 * data (QYJCXX). A company the operator may not work for, or with no row, is
 * not written. When the company is the current one, the host's copy is
 * refreshed.
 *
 * @param companyId the company's QYID as decimal text.
 * @param data      the values by column name; it stays the caller's.
 * @return true when stored; false, with the reason as a warning in the log,
 *         when nothing was stored.
 *
 * Messages: none to the operator.
 * @{
 */
/** Local-tax registration data (XT_QYDSXX). */
COMPANYMGR_ENTRY bool CallBackToWriteQYDSXX(const char* companyId, TDataVO* data);
/** State-tax registration data (XT_QYGSXX). */
COMPANYMGR_ENTRY bool CallBackToWriteQYGSXX(const char* companyId, TDataVO* data);
/** Basic company data (XT_QYXX). */
COMPANYMGR_ENTRY bool CallBackToWriteQYJCXX(const char* companyId, TDataVO* data);
/** @} */

/**
 * @name Pages
 * Pages are docked into a host container, or shown as a window of their own.
 *
 * - appHandle is unused: host and module share one application.
 * - parentHandle is the window id (QWidget::winId) of the host container the
 *   page fills, or 0 for a window of its own.
 * - *paramString (paramString and *paramString may be null) is a parameter
 *   string that is read, never written, so it has no size rule.
 *   ModalFormMsg=TEXT asks for #COMPANYMGR_MSG_FORM_SHOWN.
 * - Nothing is returned; without a QApplication no page is shown.
 * - The page deletes itself when closed, sending
 *   #COMPANYMGR_MSG_FORM_DESTROYED; it sends #COMPANYMGR_MSG_ACTIVATED when
 *   it becomes the active one, #COMPANYMGR_MSG_PAGE_STATE from its maximise
 *   button, and closes on #COMPANYMGR_MSG_CLOSE_PAGE unless the operator
 *   keeps his unsaved edits.
 * @{
 */
/**
 * The company manager: lists, searches, adds, deletes, exports and imports
 * companies, and docks a company's information page for editing.
 *
 * Messages: 106004, 106007, 106008 (a question), 106009, 106010 on delete;
 * 106013, 106015, 106016, 106017 on add, with message boxes about similar
 * taxpayer numbers; message boxes on export and import.
 */
COMPANYMGR_ENTRY void ShowCompanyMgrProc(uintptr_t appHandle, uintptr_t parentHandle,
                                         char** paramString);
/**
 * The tax agency's settings (an agency's installation). A save hands the new
 * name to the host (ModuleLib::SetgsAgencyInfo).
 *
 * Messages: message boxes on a failed check or a failed save.
 */
COMPANYMGR_ENTRY void ShowGljgszProc(uintptr_t appHandle, uintptr_t parentHandle,
                                     char** paramString);
/**
 * The tax officer's settings.
 *
 * Messages: message boxes on a failed check, on a failed and on a done save.
 */
COMPANYMGR_ENTRY void ShowBsyxxszProc(uintptr_t appHandle, uintptr_t parentHandle,
                                      char** paramString);
/**
 * A company's information page. Parameters: QYID (default: the current
 * company), TOVIEW=true|false (view only, default false), CLOSEPREV=true|false
 * (close the page below it, default true). A company the operator may not
 * work for gets no page.
 *
 * Messages: 106018, 106019, 106020 and 106021 to 106024 on save, a question
 * when another desk changed what is being saved, and the
 * #COMPANYMGR_MSG_FORM_SHOWN flag sent as 0.
 */
COMPANYMGR_ENTRY void ShowComapnayInfoInnerProc(uintptr_t appHandle, uintptr_t parentHandle,
                                                char** paramString);
/** @} */

/**
 * An agency's company switch: a modal dialog that lists the companies the
 * current company's agency serves.
 *
 * @param count   ignored: hosts pass any count here.
 * @param buffers buffers[0]: the parameter string, in and out, in a buffer of
 *                at least #COMPANYMGR_PARAM_BUFFER_MIN bytes (or its length
 *                plus one). Only buffers[0] is read. Out on true: QYID and
 *                QYSBH of the chosen company.
 * @return true when a company was chosen and the answer written; false when
 *         buffers[0] is missing, the operator cancelled, no QApplication
 *         exists, or the answer did not fit.
 *
 * Messages: a message box when switching with no row chosen, or when the
 * list cannot be read.
 */
COMPANYMGR_ENTRY bool LoadAdvSwitchCompanyForm(int count, char** buffers);

/**
 * A company's information dialog, modal.
 *
 * @param companyId the company's QYID as decimal text.
 * @param viewOnly  true shows the data with nothing to edit.
 * @return true after the operator saved; false when he closed the dialog,
 *         the id is missing or no number, the operator may not work for the
 *         company, it cannot be read, or no QApplication exists.
 *
 * Messages: as the information page (ShowComapnayInfoInnerProc).
 */
COMPANYMGR_ENTRY bool ShowComapnayInfoProc(const char* companyId, bool viewOnly);

/** @name Pointer types for dlsym's results
 * @{ */
/** LoadSelectCompanyForm, InitGlobalCompanyInfo, LoadAdvSwitchCompanyForm. */
typedef bool (*CompanyMgrParamEntry)(int count, char** buffers);
/** RefreshCurrentCompanyInfo. */
typedef bool (*CompanyMgrNoArgsEntry)(void);
/** The CallBackToWrite... entry points. */
typedef bool (*CompanyMgrWriteBackEntry)(const char* companyId, TDataVO* data);
/** The Show...Proc pages. */
typedef void (*CompanyMgrPageEntry)(uintptr_t appHandle, uintptr_t parentHandle,
                                    char** paramString);
/** ShowComapnayInfoProc. */
typedef bool (*CompanyMgrIdFlagEntry)(const char* companyId, bool viewOnly);
/** @} */

#ifdef __cplusplus
}
#endif

#endif
