#include "HistoryTab.h"

#include <QComboBox>
#include <QDate>
#include <QFileDialog>
#include <QHeaderView>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>

#include "CsvFileTypes.h"
#include "CsvText.h"
#include "HostServices.h"
#include "WholeFile.h"

namespace {

// Enough rows to fill a tall window; more come as the list scrolls.
constexpr int kPageRows = 200;

enum Column { Time, Operator, Desk, Item, Old, New, Source, ColumnCount };

QString Shown(const std::optional<QString>& value) {
    return value.value_or(QString());
}

}  // namespace

THistoryModel::THistoryModel(QHash<QString, QString> captions, QObject* parent)
    : QAbstractTableModel(parent), captions_(std::move(captions)) {}

void THistoryModel::Reset(const QString& companyId, const QString& column) {
    beginResetModel();
    companyId_ = companyId;
    column_ = column;
    changes_.clear();
    atEnd_ = companyId.isEmpty();
    endResetModel();
}

void THistoryModel::FetchAll() {
    while (canFetchMore(QModelIndex())) {
        fetchMore(QModelIndex());
    }
}

QString THistoryModel::Caption(const QString& table, const QString& column) const {
    return captions_.value(table + QLatin1Char('.') + column, column);
}

QStringList THistoryModel::Headers() {
    return {QStringLiteral("时间"), QStringLiteral("操作员"), QStringLiteral("工作站"),
            QStringLiteral("项目"), QStringLiteral("原值"),   QStringLiteral("新值"),
            QStringLiteral("来源")};
}

QStringList THistoryModel::RowTexts(int row) const {
    const CompanyHistory::TChange& c = changes_.at(static_cast<std::size_t>(row));
    return {c.time.left(19),   c.operatorCode,    c.desk,  Caption(c.table, c.column),
            Shown(c.oldValue), Shown(c.newValue), c.source};
}

int THistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(changes_.size());
}

int THistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant THistoryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return QVariant();
    }
    const CompanyHistory::TChange& c = changes_.at(static_cast<std::size_t>(index.row()));
    // A deleted value has no new one, an added one no old one: shown empty,
    // as NULL is, and the tooltip says which.
    if (role == Qt::ToolTipRole) {
        const std::optional<QString>& value = index.column() == Old   ? c.oldValue
                                              : index.column() == New ? c.newValue
                                                                      : c.source;
        return value ? QVariant(*value) : QVariant(QStringLiteral("（空）"));
    }
    return RowTexts(index.row()).value(index.column());
}

QVariant THistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QVariant();
    }
    return Headers().value(section);
}

bool THistoryModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !atEnd_;
}

void THistoryModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) {
        return;
    }
    std::optional<CompanyHistory::TAfter> after;
    if (!changes_.empty()) {
        after = CompanyHistory::TAfter{changes_.back().time, changes_.back().id};
    }
    std::vector<CompanyHistory::TChange> page;
    // What cannot be read ends the list; the log says why.
    if (!CompanyHistory::ReadPage(companyId_, column_, after, kPageRows, page) || page.empty()) {
        atEnd_ = true;
        return;
    }
    atEnd_ = page.size() < static_cast<std::size_t>(kPageRows);
    const int first = static_cast<int>(changes_.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(page.size()) - 1);
    std::move(page.begin(), page.end(), std::back_inserter(changes_));
    endInsertRows();
}

THistoryTab::THistoryTab(QComboBox* fields, QTableView* view, QPushButton* exportButton,
                         QHash<QString, QString> captions, QObject* parent)
    : QObject(parent),
      fields_(fields),
      view_(view),
      model_(new THistoryModel(std::move(captions), this)) {
    view_->setModel(model_);
    view_->verticalHeader()->hide();
    view_->horizontalHeader()->setStretchLastSection(true);
    connect(fields_, &QComboBox::currentIndexChanged, this, &THistoryTab::Filter);
    connect(exportButton, &QPushButton::clicked, this, &THistoryTab::Export);
}

void THistoryTab::SetCompany(const QString& companyId) {
    companyId_ = companyId;
    shown_ = false;
    model_->Reset(QString(), QString());
}

void THistoryTab::Show() {
    if (shown_) {
        return;
    }
    shown_ = true;
    QStringList columns;
    CompanyHistory::ReadColumns(companyId_, columns);
    const QSignalBlocker quiet(fields_);
    fields_->clear();
    fields_->addItem(QStringLiteral("（全部）"), QString());
    // A column by its caption.
    for (const QString& key : columns) {
        const QString table = key.section(QLatin1Char('.'), 0, 0);
        const QString column = key.section(QLatin1Char('.'), 1);
        fields_->addItem(model_->Caption(table, column), key);
    }
    Filter();
}

void THistoryTab::Filter() {
    model_->Reset(companyId_, fields_->currentData().toString());
    // The first page; the view asks for more as it scrolls.
    model_->fetchMore(QModelIndex());
    view_->resizeColumnsToContents();
}

void THistoryTab::Export() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString name =
        QStringLiteral("变更记录-%1-%2.csv")
            .arg(companyId_, QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    const QString utf8Type = QLatin1String(CsvFileTypes::kUtf8);
    const QString gbkType = QLatin1String(CsvFileTypes::kGbk);
    QString type = utf8Type;
    const QString path = QFileDialog::getSaveFileName(
        view_->window(), QStringLiteral("导出变更记录"),
        folder.isEmpty() ? name : folder + QLatin1Char('/') + name,
        utf8Type + QStringLiteral(";;") + gbkType, &type, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty()) {
        return;
    }
    model_->FetchAll();
    QString text = CsvText::Row(THistoryModel::Headers());
    for (int row = 0; row < model_->rowCount(); ++row) {
        text += CsvText::Row(model_->RowTexts(row));
    }
    QString errorText;
    const auto encoding = type == gbkType ? CsvText::Encoding::Gbk : CsvText::Encoding::Utf8Bom;
    if (!WholeFile::Replace(path, CsvText::Encode(text, encoding), &errorText)) {
        ModuleLib::InfoMsgBox(QStringLiteral("导出失败：") + errorText);
    }
}
