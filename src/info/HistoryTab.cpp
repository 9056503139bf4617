#include "HistoryTab.h"

#include <QComboBox>
#include <QDate>
#include <QFileDialog>
#include <QHeaderView>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>

#include "CsvFileTypes.h"
#include "CsvText.h"
#include "HostServices.h"
#include "WholeFile.h"

namespace {

// Enough rows to fill a tall window; more come as the list scrolls.
constexpr int kPageRows = 200;

enum Column { Time, Operator, Desk, Item, Old, New, Source, ColumnCount };

// Captions of the columns no field of the page shows (the page's own labels
// come first), after what the abbreviations stand for.
constexpr std::pair<const char*, const char*> kColumnCaptions[] = {
    {"QYSBH", "企业识别号"},
    {"QYMC", "企业名称"},
    {"LBDM", "类别代码"},
    {"SSDLJG", "所属代理机构"},
    {"SSDLJGID", "所属代理机构ID"},
    {"FDDBRMC", "法定代表人"},
    {"FRDB", "法人代表"},
    {"NSRSBH", "纳税人识别号"},
    {"NSRBM", "纳税人编码"},
    {"NSRMC", "纳税人名称"},
    {"NSRLX", "纳税人类型"},
    {"NSRZT", "纳税人状态"},
    {"CWFZR", "财务负责人"},
    {"CWFZRLXHM", "财务负责人联系号码"},
    {"CWFZRBGDH", "财务负责人办公电话"},
    {"BSY", "办税员"},
    {"BSYLXHM", "办税员联系号码"},
    {"BSYBGDH", "办税员办公电话"},
    {"XZQHDM", "行政区划代码"},
    {"ZCDZ", "注册地址"},
    {"YYDZ", "营业地址"},
    {"DZ", "地址"},
    {"YZBM", "邮政编码"},
    {"EMAIL", "电子信箱"},
    {"DZXX", "电子信箱"},
    {"QYDHHM", "电话号码"},
    {"DHHM", "电话号码"},
    {"DH", "电话号码"},
    {"QYCZHM", "传真号码"},
    {"HYDM", "行业代码"},
    {"HYMC", "行业名称"},
    {"HY", "行业"},
    {"SSHY", "所属行业"},
    {"SSHYMC", "所属行业名称"},
    {"ZSID", "证书ID"},
    {"CZY_DM", "操作员代码"},
    {"KJYWRMC", "扣缴义务人名称"},
    {"KJYWRBM", "扣缴义务人编码"},
    {"ZGSWJG", "主管税务机关"},
    {"ZGSWJGMC", "主管税务机关名称"},
    {"SSSWJG_DM", "所属税务机关代码"},
    {"SSSWJG_MC", "所属税务机关名称"},
    {"DJZCLX", "登记注册类型"},
    {"DJZCLX_DM", "登记注册类型代码"},
    {"DJZCLXMC", "登记注册类型名称"},
    {"GSGBZE", "公司股本总额"},
    {"SFSS", "是否上市"},
    {"SBYF", "申报月份"},
    {"KKYH", "开户银行"},
    {"YHZH", "银行帐号"},
    {"JBZH", "基本帐户"},
    {"XYDJ", "信用等级"},
    {"JKBZ", "监控标志"},
    {"ZDH", "重点户"},
    {"FLZSH", "福利证书号"},
    {"QYLXDM", "企业类型代码"},
    {"QYLXMC", "企业类型"},
    {"ICCARD", "IC卡"},
    {"KSSCJYRQ", "开始生产经营日期"},
    {"KSHLND", "开始获利年度"},
    {"KJZG", "会计制度"},
    {"ZJFMC", "总机构名称"},
    {"ZJGSWDJH", "总机构税务登记号"},
    {"FZR", "负责人"},
    {"SQR", "申请人"},
    {"SMR", "声明人"},
};

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
    const auto found = captions_.constFind(table + QLatin1Char('.') + column);
    if (found != captions_.cend()) {
        return *found;
    }
    for (const auto& [code, caption] : kColumnCaptions) {
        if (column == QLatin1String(code)) {
            return QString::fromUtf8(caption);
        }
    }
    return column;
}

QStringList THistoryModel::Headers() {
    return {QStringLiteral("时间"), QStringLiteral("操作员"), QStringLiteral("工作站"),
            QStringLiteral("项目"), QStringLiteral("原值"),   QStringLiteral("新值"),
            QStringLiteral("来源")};
}

QString THistoryModel::CellText(int row, int column) const {
    const CompanyHistory::TChange& c = changes_.at(static_cast<std::size_t>(row));
    switch (column) {
        case Time:
            return c.time.left(19);
        case Operator:
            return c.operatorCode;
        case Desk:
            return c.desk;
        case Item:
            return Caption(c.table, c.column);
        case Old:
            return Shown(c.oldValue);
        case New:
            return Shown(c.newValue);
        default:
            return c.source;
    }
}

QStringList THistoryModel::RowTexts(int row) const {
    QStringList texts;
    for (int column = 0; column < ColumnCount; ++column) {
        texts << CellText(row, column);
    }
    return texts;
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
    return CellText(index.row(), index.column());
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
    // Set widths: measuring every row's text would delay the first paint.
    constexpr int kWidths[] = {150, 60, 80, 120, 200, 200};
    for (int column = 0; column < static_cast<int>(std::size(kWidths)); ++column) {
        view_->setColumnWidth(column, kWidths[column]);
    }
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
    Filter();
    // The list first; the filter's fields right after it is painted.
    QTimer::singleShot(0, this, &THistoryTab::FillFields);
}

void THistoryTab::FillFields() {
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
}

void THistoryTab::Filter() {
    model_->Reset(companyId_, fields_->currentData().toString());
    // The first page; the view asks for more as it scrolls.
    model_->fetchMore(QModelIndex());
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
