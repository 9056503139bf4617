#include "f_CompanyImport.h"

#include <algorithm>
#include <new>

#include <QCoreApplication>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>

#include "CompanyListModel.h"
#include "FlatHeaderView.h"
#include "HostServices.h"
#include "ui_f_CompanyImport.h"

namespace {

using CompanyImport::Action;

QString Summary(const std::vector<CompanyImport::Row>& rows) {
    int counts[static_cast<int>(Action::Refused) + 1] = {};
    for (const CompanyImport::Row& row : rows) {
        ++counts[static_cast<int>(row.action)];
    }
    return QStringLiteral("共%1行：新增%2，重复%3，相似%4，校验位不符%5，不符合要求%6。")
        .arg(rows.size())
        .arg(counts[static_cast<int>(Action::Add)])
        .arg(counts[static_cast<int>(Action::Duplicate)])
        .arg(counts[static_cast<int>(Action::Similar)])
        .arg(counts[static_cast<int>(Action::CheckCharacter)])
        .arg(counts[static_cast<int>(Action::Refused)]);
}

QString ActionCell(const CompanyImport::Row& row) {
    if (row.action == Action::Refused) {
        return row.reason;
    }
    const QString text = CompanyImport::ActionText(row.action);
    if (row.match.isEmpty() || row.match == row.taxId) {
        return text;
    }
    return text + QStringLiteral("（") + row.match + QStringLiteral("）");
}

}  // namespace

Tfrm_CompanyImport::Tfrm_CompanyImport(std::vector<CompanyImport::Row> rows, QWidget* parent,
                                       std::optional<TextCodec::Encoding> encoding)
    : Tfrm_CustomDlgEx(parent),
      ui_(std::make_unique<Ui::frm_CompanyImport>()),
      rows_(std::move(rows)),
      model_(new TCompanyListModel(
          {QStringLiteral("行"), QStringLiteral("纳税人识别号"), QStringLiteral("单位名称"),
           QStringLiteral("联系电话"), QStringLiteral("处理")},
          [this] { return static_cast<int>(rows_.size()); },
          [this](int index, int column) {
              const CompanyImport::Row& row = rows_[static_cast<std::size_t>(index)];
              switch (column) {
                  case 0:
                      return QString::number(row.line);
                  case 1:
                      return row.taxId;
                  case 2:
                      return row.name;
                  case 3:
                      return row.phone;
                  default:
                      return ActionCell(row);
              }
          },
          this)) {
    setObjectName(QStringLiteral("frm_CompanyImport"));
    ui_->setupUi(ClientArea());
    AddButton(ui_->sBtnImport);
    sBtnClose()->setText(QStringLiteral("取消"));
    sBtnClose()->setAutoDefault(false);
    SetTitle(QStringLiteral("导入企业"), QStringLiteral("企业管理"));

    auto* header = new TFlatHeaderView(Qt::Horizontal, ui_->vstPreview);
    ui_->vstPreview->setHeader(header);
    ui_->vstPreview->setModel(model_);
    header->setStretchLastSection(true);
    header->resizeSection(0, 50);
    header->resizeSection(1, 170);
    header->resizeSection(2, 190);
    header->resizeSection(3, 100);

    // A file read in the wrong encoding shows as garbled names: say which it was.
    const QString readAs =
        encoding ? QStringLiteral("文件按%1编码读取。").arg(TextCodec::EncodingName(*encoding))
                 : QString();
    ui_->lblSummary->setText(readAs + Summary(rows_));
    ui_->pbImport->setRange(0, 1);
    ui_->pbImport->setValue(0);
    ui_->sBtnImport->setEnabled(std::any_of(
        rows_.begin(), rows_.end(), [](const auto& row) { return row.action == Action::Add; }));
    resize(760, 480);
    connect(ui_->sBtnImport, &QPushButton::clicked, this, &Tfrm_CompanyImport::Import);
    FormCreate();
}

Tfrm_CompanyImport::~Tfrm_CompanyImport() = default;

void Tfrm_CompanyImport::done(int result) {
    if (running_) {
        cancelled_ = true;
        return;
    }
    Tfrm_CustomDlgEx::done(result);
}

void Tfrm_CompanyImport::Import() {
    ui_->sBtnImport->setEnabled(false);
    running_ = true;
    cancelled_ = false;
    result_ = CompanyImport::Run(rows_, [this](int count, int total) {
        ui_->pbImport->setRange(0, total);
        ui_->pbImport->setValue(count);
        // The cancel button and the window's close stay live meanwhile.
        QCoreApplication::processEvents();
        return !cancelled_;
    });
    running_ = false;
    switch (result_.status) {
        case CompanyImport::Status::Done:
            done(mrOk);
            return;
        case CompanyImport::Status::Cancelled:
            ui_->pbImport->setValue(0);
            done(mrCancel);
            return;
        case CompanyImport::Status::Failed:
            ui_->pbImport->setValue(0);
            ModuleLib::InfoMsgBox(result_.errorText.isEmpty()
                                      ? QStringLiteral("导入失败，没有新增任何企业。")
                                      : result_.errorText);
            return;
    }
}

QStringList ImportCompanies(QWidget* parent, const QString& path) {
    std::vector<CompanyImport::Row> rows;
    TextCodec::Encoding encoding = TextCodec::Encoding::Utf8;
    QString errorText;
    if (!CompanyImport::Prepare(path, rows, encoding, errorText)) {
        ModuleLib::InfoMsgBox(errorText);
        return {};
    }
    try {
        Tfrm_CompanyImport dialog(std::move(rows), parent, encoding);
        if (dialog.exec() != Tfrm_CompanyImport::mrOk) {
            return {};
        }
        return dialog.ImportResult().companyIds;
    } catch (const std::bad_alloc&) {
        // Nothing was added: the rows go in all together or not at all.
        ModuleLib::InfoMsgBox(QStringLiteral("内存不足，无法导入该文件，没有新增任何企业。"));
        return {};
    }
}
