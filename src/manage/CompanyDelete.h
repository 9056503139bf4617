// The company manager's delete of one listed company, with its messages, the
// host's notification and the clean-up of the company's certificate files.
#pragma once

#include <QString>

class TCompanyRecord;
class TDataVO;

namespace CompanyDelete {

enum class Outcome {
    Refused,   // the current company: 106007, nothing touched
    Declined,  // the operator did not confirm 106008
    Failed,    // the company's row stayed: 106010, everything rolled back
    Deleted,   // gone, "TPSession" told, 106009, certificates cleaned
    Unknown,   // the connection dropped during the commit: gone or not, nobody knows
};

// user is the operator object (which may hold the host's "TPSession"),
// currentCompany the current-company object; caFolder is where the
// certificate folders are.
Outcome Run(const TCompanyRecord& company, TDataVO* user, const TDataVO* currentCompany,
            const QString& caFolder);

}  // namespace CompanyDelete
