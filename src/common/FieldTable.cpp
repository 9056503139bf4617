#include "FieldTable.h"

#include <QLineEdit>

#include "FormBase.h"

void TFieldTable::Add(QLineEdit* edit, int table, const QString& column, bool editable) {
    fields_.push_back({edit, edit, table, column, editable, {}});
}

void TFieldTable::Add(QWidget* control, int table, const QString& column,
                      std::function<QString()> read) {
    fields_.push_back({control, nullptr, table, column, true, std::move(read)});
}

void TFieldTable::Show(const Stored& stored) const {
    for (const Field& field : fields_) {
        if (field.edit != nullptr) {
            FormBase::ShowWhole(field.edit, stored(field.table, field.column));
            if (!field.editable) {
                field.edit->setReadOnly(true);
            }
        }
    }
}

bool TFieldTable::CanChange(const Field& field) {
    // Disabled is how a window takes a field out of reach, a covered one
    // included; a field on a tab not in front is still the operator's.
    if (!field.editable || !field.control->isEnabled()) {
        return false;
    }
    return field.edit == nullptr || !field.edit->isReadOnly();
}

void TFieldTable::Collect(const Take& take) const {
    for (const Field& field : fields_) {
        if (CanChange(field)) {
            take(field.table, field.column,
                 field.edit != nullptr ? field.edit->text() : field.read());
        }
    }
}

void TFieldTable::ForEach(
    const std::function<void(QWidget* control, int table, const QString& column)>& visit) const {
    for (const Field& field : fields_) {
        visit(field.control, field.table, field.column);
    }
}

QWidget* TFieldTable::Editable(int table, const QString& column) const {
    for (const Field& field : fields_) {
        if (field.table == table && field.column == column && CanChange(field)) {
            return field.control;
        }
    }
    return nullptr;
}
