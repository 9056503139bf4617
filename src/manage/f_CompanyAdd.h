// The add company dialog: a taxpayer id, a name and a telephone number make
// a new company row; the opener gets the new row's id.
#pragma once

#include <memory>

#include "f_CustomDlgEx.h"

namespace Ui {
class frm_CompanyAdd;
}

class Tfrm_CompanyAdd : public Tfrm_CustomDlgEx {
    Q_OBJECT

  public:
    explicit Tfrm_CompanyAdd(QWidget* parent = nullptr);
    ~Tfrm_CompanyAdd() override;

    // After the dialog ended with mrOk: the new company's id and taxpayer id.
    const QString& CompanyId() const { return companyId_; }
    const QString& TaxId() const { return taxId_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Save();

    std::unique_ptr<Ui::frm_CompanyAdd> ui_;
    QString companyId_;
    QString taxId_;
};

// Opens the dialog modally over parent. True when the operator saved a new
// company; companyId and taxId are its QYID and QYSBH then.
bool AddCompany(QWidget* parent, QString& companyId, QString& taxId);
