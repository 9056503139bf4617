#include "CompanyListModel.h"

TCompanyListModel::TCompanyListModel(QStringList headers, RowCount rowCount, CellText cellText,
                                     QObject* parent)
    : QAbstractTableModel(parent),
      headers_(std::move(headers)),
      rowCount_(std::move(rowCount)),
      cellText_(std::move(cellText)) {}

void TCompanyListModel::Reset(const std::function<void()>& change) {
    beginResetModel();
    // The reset ends whatever change does, or the views stay frozen.
    struct TEndReset {
        TCompanyListModel* model;
        ~TEndReset() { model->endResetModel(); }
    } end{this};
    change();
}

void TCompanyListModel::SetHeader(int column, const QString& title) {
    if (column >= 0 && column < headers_.size()) {
        headers_[column] = title;
        emit headerDataChanged(Qt::Horizontal, column, column);
    }
}

int TCompanyListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rowCount_();
}

int TCompanyListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant TCompanyListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole || index.row() >= rowCount_()) {
        return QVariant();
    }
    return cellText_(index.row(), index.column());
}

QVariant TCompanyListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= headers_.size()) {
        return QVariant();
    }
    return headers_[section];
}
