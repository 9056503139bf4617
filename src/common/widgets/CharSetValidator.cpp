#include "CharSetValidator.h"

#include <QLineEdit>

#include <algorithm>
#include <utility>

#include "HalfWidth.h"

TCharSetValidator::TCharSetValidator(QString allowed, int maxLength, QLineEdit* edit)
    : QValidator(edit), allowed_(std::move(allowed)), maxLength_(maxLength), edit_(edit) {}

TCharSetValidator* TCharSetValidator::Attach(QLineEdit* edit, QString allowed, int maxLength) {
    auto* validator = new TCharSetValidator(std::move(allowed), maxLength, edit);
    edit->setValidator(validator);
    validator->before_ = edit->text();
    // textEdited comes only from the operator, before textChanged.
    connect(edit, &QLineEdit::textEdited, validator, &TCharSetValidator::FoldTyped);
    connect(edit, &QLineEdit::textChanged, validator,
            [validator] { validator->before_ = validator->edit_->text(); });
    return validator;
}

QValidator::State TCharSetValidator::validate(QString& input, int& /*pos*/) const {
    // The check only: a text set from the database is shown as it is.
    const QString half = ToHalfWidth(input);
    if (maxLength_ > 0 && half.size() > maxLength_) {
        return Invalid;
    }
    for (const QChar c : half) {
        if (!allowed_.contains(c)) {
            return Invalid;
        }
    }
    return Acceptable;
}

void TCharSetValidator::FoldTyped(const QString& text) {
    // What lies between the unchanged start and end is what he put in.
    qsizetype start = 0;
    const qsizetype common = std::min(text.size(), before_.size());
    while (start < common && text[start] == before_[start]) {
        ++start;
    }
    qsizetype end = 0;
    while (end < common - start &&
           text[text.size() - 1 - end] == before_[before_.size() - 1 - end]) {
        ++end;
    }
    const qsizetype length = text.size() - start - end;
    const QString typed = text.mid(start, length);
    const QString folded = ToHalfWidth(typed);
    if (folded == typed) {
        return;
    }
    // One character for one, so the cursor keeps its place.
    const int cursor = edit_->cursorPosition();
    edit_->setText(text.left(start) + folded + text.right(end));
    edit_->setCursorPosition(cursor);
}
