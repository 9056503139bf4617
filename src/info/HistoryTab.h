// The information page's tab "变更记录": the company's changes, newest first,
// read a page at a time as the list scrolls, filtered by field, and exported
// as CSV.
#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QObject>
#include <QString>

#include <optional>
#include <vector>

#include "CompanyHistory.h"

class QComboBox;
class QPushButton;
class QTableView;

class THistoryModel : public QAbstractTableModel {
  public:
    // captions: "XT_QYXX.QYMC" -> the field's caption on the page.
    explicit THistoryModel(QHash<QString, QString> captions, QObject* parent = nullptr);

    // Starts again for the company, of one column (all when empty).
    void Reset(const QString& companyId, const QString& column);
    // Reads every page that is left, for the export.
    void FetchAll();
    // The column's caption, or the column itself when no field shows it.
    QString Caption(const QString& table, const QString& column) const;
    // A cell's text and a row's texts, as shown.
    QString CellText(int row, int column) const;
    QStringList RowTexts(int row) const;
    static QStringList Headers();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

  private:
    QHash<QString, QString> captions_;
    QString companyId_;
    QString column_;
    std::vector<CompanyHistory::TChange> changes_;
    bool atEnd_ = true;
};

class THistoryTab : public QObject {
  public:
    THistoryTab(QComboBox* fields, QTableView* view, QPushButton* exportButton,
                QHash<QString, QString> captions, QObject* parent = nullptr);

    // The company whose history the tab shows; read when the tab is shown.
    void SetCompany(const QString& companyId);
    // Reads the history the first time, and the filter's fields.
    void Show();
    THistoryModel* Model() const { return model_; }

  private:
    void Filter();
    void FillFields();
    void Export();

    QComboBox* fields_;
    QTableView* view_;
    THistoryModel* model_;
    QString companyId_;
    bool shown_ = false;
};
