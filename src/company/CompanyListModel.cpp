#include "CompanyListModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>

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

int TCompanyListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rowCount_();
}

int TCompanyListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

void TCompanyListModel::SetRowMarked(std::function<bool(int row)> marked) {
    marked_ = std::move(marked);
}

QVariant TCompanyListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount_()) {
        return QVariant();
    }
    if (role == Qt::DisplayRole) {
        return cellText_(index.row(), index.column());
    }
    if ((role == Qt::FontRole || role == Qt::ForegroundRole) && marked_ && marked_(index.row())) {
        if (role == Qt::ForegroundRole) {
            return QBrush(QColor(0, 70, 160));
        }
        QFont font;
        font.setBold(true);
        return font;
    }
    return QVariant();
}

QVariant TCompanyListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= headers_.size()) {
        return QVariant();
    }
    return headers_[section];
}
