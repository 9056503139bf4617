// Which control shows which stored column, declared once per window: loading,
// collecting what the operator changed, focusing the field a failed check
// names and telling what changed all read this one table.
#pragma once

#include <QString>

#include <functional>
#include <vector>

class QLineEdit;
class QWidget;

class TFieldTable {
  public:
    // A window's tables are told apart by a number of its own.
    using Stored = std::function<QString(int table, const QString& column)>;
    using Take = std::function<void(int table, const QString& column, const QString& text)>;

    // A line edit that shows a column; when editable is false it never takes
    // input, whatever else the window does.
    void Add(QLineEdit* edit, int table, const QString& column, bool editable = true);
    // A control the window fills itself, read back through read.
    void Add(QWidget* control, int table, const QString& column, std::function<QString()> read);

    // Shows each line edit's stored text whole, from its start, whatever its
    // typing limit, and makes the fixed ones read-only.
    void Show(const Stored& stored) const;
    // Hands over what each field the operator can change now holds: enabled
    // and not read-only. Fields he cannot reach count as unchanged.
    void Collect(const Take& take) const;
    // The field of a column the operator can change now, or null.
    QWidget* Editable(int table, const QString& column) const;
    // Every control with the column it shows.
    void ForEach(
        const std::function<void(QWidget* control, int table, const QString& column)>& visit) const;

  private:
    struct Field {
        QWidget* control;
        QLineEdit* edit;  // null for a control read through read
        int table;
        QString column;
        bool editable;
        std::function<QString()> read;
    };
    static bool CanChange(const Field& field);
    std::vector<Field> fields_;
};
