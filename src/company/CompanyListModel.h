// A list view's model over a record array the window owns: rows are only a
// count, cell texts are read from the records when the view asks for them.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include <functional>

class TCompanyListModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    using RowCount = std::function<int()>;
    using CellText = std::function<QString(int row, int column)>;

    TCompanyListModel(QStringList headers, RowCount rowCount, CellText cellText,
                      QObject* parent = nullptr);

    // Runs change, which replaces the records, inside a model reset: views
    // forget rows, selection and current row before the records go, and read
    // the new ones only after.
    void Reset(const std::function<void()>& change);
    // Rows for which marked answers true show bold in the marking colour
    // (the operator's recent companies).
    void SetRowMarked(std::function<bool(int row)> marked);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    QStringList headers_;
    RowCount rowCount_;
    CellText cellText_;
    std::function<bool(int row)> marked_;
};
