// The demo host's main window: menus, a docking area for module pages, a log
// of the module's window messages and a status bar with the operator and the
// current company.
//
// Module pages are docked into the docking area one above the other: the
// page shown last covers the welcome text and the pages before it; closing it
// (the page closes itself, or the host sends it 1280) brings the one below
// back. A page holding unsaved edits may refuse to close: then quitting, or
// switching to another company (which closes every page, since they were
// opened for the company before), does not happen. While the window lives it is the host's session
// object ("TPSession" of the operator object) and runs the host function for the company
// information pages.
#pragma once

#include <QMainWindow>
#include <QPointer>

#include <cstddef>
#include <string>

#include "ModuleApi.h"

class QLabel;
class QPlainTextEdit;
class QDockWidget;
class PageStack;

class MainFrame : public QMainWindow {
    Q_OBJECT

  public:
    // The host's function codes of its pages; the second is the one the
    // company manager asks for to edit a company.
    static constexpr const char* kCompanyMgrFunc = "01004-01-15-00-00";
    static constexpr const char* kCompanyInfoFunc = "01004-01-16-00-00";
    static constexpr const char* kAgencySettingsFunc = "01004-01-17-00-00";
    static constexpr const char* kTaxOfficerFunc = "01004-01-18-00-00";
    static constexpr const char* kCompanyInfoDialogFunc = "01004-01-19-00-00";

    explicit MainFrame(const ModuleApi& module, QWidget* parent = nullptr);
    ~MainFrame() override;

    // Chooses the current company through the module and loads it; false when
    // no company was chosen or it could not be loaded.
    bool LogIn();
    // An agency's installation: chooses one of the served companies through
    // the module's switch and loads it as the current one. False when none
    // was chosen (or it could not be loaded); the current company stays.
    bool SwitchCompany();
    bool RefreshCompany();
    void ShowCompany();
    // The module's notices about its windows are the host's business: the
    // file has them, the operator's panel does not.
    enum class LogTo { PanelAndFile, FileOnly };
    void AppendLog(const QString& line, LogTo to = LogTo::PanelAndFile);

    // Shows the company manager, or brings the one already open to the top.
    // False when the module showed no page.
    bool OpenCompanyManager();
    // The agency settings (an agency's installation only) and the tax
    // officer settings, each opened once like the company manager.
    bool OpenAgencySettings();
    bool OpenTaxOfficerSettings();
    // The current company's information page, docked (editable or view
    // only); false when no company is loaded or the module showed no page.
    bool OpenCurrentCompanyInfo(bool viewOnly);
    // Another company's information page, as the menu opens the current one's.
    bool OpenCompanyInfoFor(const QString& companyId, bool viewOnly);
    // The current company's information dialog, modal; true when it ended
    // with OK.
    bool ShowCompanyInfoDialog();
    // Asks the page on top to close (1280), as the host's menu does; false
    // when it stayed (the operator kept its edits) or there is none.
    bool CloseCurrentPage();
    // Closes every page, top first; false at the first that stays open.
    bool CloseAllPages();

    // The container module pages are docked into.
    PageStack* ModuleArea() const { return moduleArea_; }
    // The text shown when no page is.
    QWidget* Welcome() const { return welcome_; }
    QString LogText() const;
    // The status bar's text of the current company.
    QString CompanyText() const;
    // The status bar's note of the module's last save; empty before one.
    QString SavedText() const;

  protected:
    bool event(QEvent* event) override;
    // Quitting closes the pages first; one that stays keeps the host running.
    void closeEvent(QCloseEvent* event) override;
    // The first show takes the remembered size and place, or the screen's
    // work area; a close remembers them (taxhost.ini in the host's folder).
    void showEvent(QShowEvent* event) override;

  private:
    std::string OperatorParams() const;
    void SetPageMaximised(bool maximised);
    static QString LayoutFile();
    void RestoreLayout();
    // Calls a page entry point with the docking area as parent, the
    // operator, the extra pairs and ModalFormMsg = funcCode; the page that
    // came up on top, or null.
    QWidget* OpenPage(const char* entry, const QString& funcCode, const std::string& extra);
    // Raises the page if it is still open, else opens it.
    bool OpenOnce(QPointer<QWidget>& page, const char* entry, const char* funcCode);
    // Loads the company as the current one and shows it in the status bar.
    bool LoadCompany(const QString& companyId);
    // LoadCompany for the company chosen through the module, after the
    // pages of the one before have closed; false when one stayed.
    bool ChangeCompany(const QString& companyId);
    void NoteSaved(const QString& funcCode);
    // The host function kCompanyInfoFunc: buffer holds the company manager's
    // parameter string.
    bool OpenCompanyInfo(const char* buffer, std::size_t size);
    // The current company's id; empty (and logged) when none is loaded.
    QString CurrentCompanyId();

    const ModuleApi& module_;
    PageStack* moduleArea_;
    QWidget* welcome_;
    QPointer<QWidget> companyManager_;
    QPointer<QWidget> agencySettings_;
    QPointer<QWidget> taxOfficer_;
    QPlainTextEdit* log_;
    QDockWidget* logDock_;
    bool pageMaximised_ = false;
    bool layoutRestored_ = false;
    bool logShownBeforeMax_ = true;
    QLabel* operatorLabel_;
    QLabel* companyLabel_;
    QLabel* savedLabel_;
};
