// The import preview: what each row of a CSV file will become (added,
// duplicate, similar, refused), then the import itself with a progress bar;
// cancelling while it runs adds nothing.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "CompanyImport.h"
#include "f_CustomDlgEx.h"

class TCompanyListModel;

namespace Ui {
class frm_CompanyImport;
}

class Tfrm_CompanyImport : public Tfrm_CustomDlgEx {
    Q_OBJECT

  public:
    // rows as CompanyImport::Classify left them; encoding the file was read in.
    explicit Tfrm_CompanyImport(std::vector<CompanyImport::Row> rows, QWidget* parent = nullptr,
                                std::optional<TextCodec::Encoding> encoding = std::nullopt);
    ~Tfrm_CompanyImport() override;

    // After the import ran: how it ended. Failed, with no text, before.
    const CompanyImport::Result& ImportResult() const { return result_; }

    // While the import runs, closing only asks it to stop; the dialog ends
    // when it has, with nothing added.
    void done(int result) override;

  private:
    void Import();

    std::unique_ptr<Ui::frm_CompanyImport> ui_;
    std::vector<CompanyImport::Row> rows_;
    TCompanyListModel* model_;
    CompanyImport::Result result_;
    bool running_ = false;
    bool cancelled_ = false;
};

// Reads and classifies the file at path and shows the preview over parent.
// The ids of the companies added; none when nothing was (unreadable file,
// nothing to add, cancelled, failed), the operator told why.
QStringList ImportCompanies(QWidget* parent, const QString& path);
