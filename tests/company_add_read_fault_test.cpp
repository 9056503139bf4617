// Adding a company asked about similar numbers while the disk fails a read:
// wherever it fails, the add says so and leaves no row, and the operator is
// never asked about a list that could not be read whole.
#include <gtest/gtest.h>

#include "CompanyAddSaver.h"
#include "FaultVfs.h"
#include "TestHost.h"

namespace {

using CompanyAddSaver::Outcome;

class CompanyAddReadFaults : public HostTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(vfs_.Ok());
        HostTest::SetUp();
    }

    FaultVfs::Installed vfs_;
};

TEST_F(CompanyAddReadFaults, EveryFailedReadFailsTheAddWithoutARow) {
    AddCompany("9111-new", "相似公司");
    QStringList failedReads;
    int n = 1;
    for (;; ++n) {
        SCOPED_TRACE(n);
        ASSERT_LT(n, 1000) << "the reads never end";
        int asked = 0;
        FaultVfs::Arm(FaultVfs::Mode::IoError, FaultVfs::Kind::Read, n);
        const CompanyAddSaver::Result result =
            CompanyAddSaver::Save("9111NEW", "新公司", "", [&](const QStringList& similar) {
                ++asked;
                EXPECT_EQ(similar, QStringList{"9111-new"});
                return true;
            });
        const bool fired = FaultVfs::Disarm();
        if (!fired) {
            // The run without a fault: asked once and added.
            EXPECT_EQ(asked, 1);
            EXPECT_EQ(result.outcome, Outcome::Saved);
            EXPECT_EQ(Count("select count(*) from XT_QYXX where QYSBH='9111NEW'"), 1);
            break;
        }
        for (const auto& line : LogLines()) {
            failedReads << line.text.section(QStringLiteral("："), 0, 0);
        }
        HostSetup::ClearRecorded();
        EXPECT_EQ(result.outcome, Outcome::Failed);
        EXPECT_TRUE(result.companyId.isEmpty());
        EXPECT_EQ(Count("select count(*) from XT_QYXX where QYSBH='9111NEW'"), 0);
    }
    // The walk failed each of the reading statements, the similar lookup too.
    failedReads.removeDuplicates();
    EXPECT_TRUE(failedReads.contains("look for taxpayer ids"))
        << failedReads.join(", ").toStdString();
    EXPECT_TRUE(failedReads.contains("look for similar taxpayer ids"))
        << failedReads.join(", ").toStdString();
}

}  // namespace
