// The company manager as a host shows it: docked through ShowCompanyMgrProc
// into a container of the test's, with the host's session object recording
// what the module tells it.
#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QBoxLayout>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "DialogDriver.h"
#include "HostServices.h"
#include "ModuleLoader.h"
#include "f_DataVO.h"

using ShowProc = void (*)(std::uintptr_t, std::uintptr_t, char**);

class RecordingSession : public TPSession {
  public:
    void CompanyAdded(const QString& companyId) override { added << companyId; }
    void CompanyRemoved(const QString& companyId) override { removed << companyId; }
    QStringList added;
    QStringList removed;
};

class ManagerPage {
  public:
    // Logs the operator of the class in, with a session object, and docks the page.
    explicit ManagerPage(const QString& operatorClass = QStringLiteral("0"),
                         std::string params = std::string())
        : container_(std::make_unique<QWidget>()) {
        TDataVO* user = ModuleLib::GetUserInfoVO();
        user->SetStrValue("CZY_DM", "0001");
        user->SetStrValue("CZY_LB", operatorClass);
        session_ = new RecordingSession;
        user->SetObjValue("TPSession", session_);
        new QVBoxLayout(container_.get());
        container_->resize(900, 600);
        container_->show();
        char* text = params.data();
        ModuleLoader::Entry<ShowProc>("ShowCompanyMgrProc")(0, container_->winId(), &text);
        page_ = container_->findChild<QWidget*>("frm_CompanyManage");
        EXPECT_NE(page_, nullptr) << "the manager was not docked";
    }

    QWidget* Page() const { return page_; }
    QWidget* Container() const { return container_.get(); }
    RecordingSession& Session() const { return *session_; }

    template <typename T>
    T* Child(const char* name) const {
        return DialogDriver::Child<T>(page_, name);
    }
    QAbstractItemView* List() const { return Child<QAbstractItemView>("vstCompList"); }
    void Press(const char* button) const { Child<QAbstractButton>(button)->click(); }
    bool Enabled(const char* button) const { return Child<QAbstractButton>(button)->isEnabled(); }
    void Focus(int row) const { List()->setCurrentIndex(List()->model()->index(row, 0)); }
    int RowOf(const QString& taxId) const {
        const QAbstractItemModel* model = List()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, 0).data().toString() == taxId) {
                return row;
            }
        }
        return -1;
    }
    // Taxpayer ids of the listed rows, in order.
    QStringList TaxIds() const { return Column(0); }
    QStringList Names() const { return Column(1); }

  private:
    QStringList Column(int column) const {
        QStringList texts;
        const QAbstractItemModel* model = List()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            texts << model->index(row, column).data().toString();
        }
        return texts;
    }

    std::unique_ptr<QWidget> container_;
    QWidget* page_ = nullptr;
    RecordingSession* session_ = nullptr;  // owned by the operator object
};
