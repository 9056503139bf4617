// The demo host's main window: menus, a docking area for module pages, a log
// of the module's window messages and a status bar with the operator and the
// current company.
#pragma once

#include <QMainWindow>

#include <string>

#include "ModuleApi.h"

class QLabel;
class QPlainTextEdit;
class QDockWidget;

class MainFrame : public QMainWindow {
    Q_OBJECT

  public:
    explicit MainFrame(const ModuleApi& module, QWidget* parent = nullptr);

    // Chooses the current company through the module and loads it; false when
    // no company was chosen or it could not be loaded.
    bool LogIn();
    bool RefreshCompany();
    void ShowCompany();
    void AppendLog(const QString& line);

    // The container module pages are docked into.
    QWidget* ModuleArea() const { return moduleArea_; }
    QString LogText() const;

  protected:
    bool event(QEvent* event) override;

  private:
    std::string OperatorParams() const;
    void SetPageMaximised(bool maximised);

    const ModuleApi& module_;
    QWidget* moduleArea_;
    QPlainTextEdit* log_;
    QDockWidget* logDock_;
    QLabel* operatorLabel_;
    QLabel* companyLabel_;
};
