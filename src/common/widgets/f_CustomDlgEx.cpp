#include "f_CustomDlgEx.h"

#include <QFrame>
#include <QLabel>

#include "ColorNumber.h"
#include "Shape.h"

Tfrm_CustomDlgEx::Tfrm_CustomDlgEx(QWidget* parent)
    : Tfrm_CustomDlg(parent), shape1_(new TShape(this)) {
    shape1_->setObjectName(QStringLiteral("Shape1"));
    shape1_->SetPenStyle(Qt::DotLine);
    shape1_->setGeometry(rect());
    shape1_->lower();
    pnlTop()->hide();
    Bevel1()->hide();
    lbProductName()->show();
}

Tfrm_CustomDlgEx::~Tfrm_CustomDlgEx() = default;

void Tfrm_CustomDlgEx::ApplySkin() {
    Tfrm_CustomDlg::ApplySkin();
    shape1_->SetBrushColor(ColorFromTColor(ModuleLib::gclModuleBackColor()));
}

void Tfrm_CustomDlgEx::resizeEvent(QResizeEvent* event) {
    Tfrm_CustomDlg::resizeEvent(event);
    shape1_->setGeometry(rect());
    shape1_->lower();
}
