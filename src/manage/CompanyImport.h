// Importing companies from a CSV file: each row classified as the add dialog
// would treat it, then the rows to add inserted all together or not at all.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <vector>

#include "TextCodec.h"

namespace CompanyImport {

enum class Action {
    Add,
    Duplicate,       // the taxpayer number is stored already, or on an earlier row
    Similar,         // a stored or earlier number differs only in case, blanks,
                     // hyphens, invisible characters or full-width forms
    CheckCharacter,  // a credit code whose check character is wrong
    Refused,         // refused as the add dialog refuses it, for the reason given
};

struct Row {
    int line = 0;   // the file line the row begins on, from 1
    QString taxId;  // trimmed
    QString name;
    QString phone;
    Action action = Action::Add;
    QString match;   // the number a duplicate or similar row matches
    QString reason;  // why a refused row is refused, in the add dialog's words
};

// A short text for the preview and scripts.
QString ActionText(Action action);

// The largest file an import reads. Building the preview takes about ten bytes
// of memory per byte of file (370 MB for 100,000 fully filled exported rows,
// 33 MB), so this keeps an import under about 2.6 GB: over 750,000 fully filled
// exported rows, or millions of rows of the three columns an import reads.
inline constexpr qint64 kMaxFileBytes = qint64{256} * 1024 * 1024;

// The bytes of the file at path: only a regular file (a device, a pipe or a
// folder is refused before anything is read), of at most kMaxFileBytes, and no
// read goes past that. False with the reason for the operator.
bool ReadFile(const QString& path, QByteArray& bytes, QString& errorText);

// The file's rows, mapped through the header: the taxpayer number column is
// QYSBH (or 纳税人识别号), the name QYMC (单位名称, 企业名称), the telephone
// QYDHHM (联系电话, 电话); other columns are ignored, as the add dialog knows
// no more. False with the reason when the text is no CSV or has no taxpayer
// number column. encoding, when given, gets the one the file was read in.
bool Read(const QByteArray& bytes, std::vector<Row>& rows, QString& errorText,
          TextCodec::Encoding* encoding = nullptr);

// Sets each row's action against the stored numbers and the rows above it,
// in the add dialog's order: refused entries, duplicate, similar, check
// character.
// False when the stored numbers could not be read.
bool Classify(std::vector<Row>& rows, QString& errorText);

// The file at path read (ReadFile), its rows mapped (Read) and classified
// (Classify), ready for the preview. False with the reason for the operator,
// a failed allocation included; encoding gets the one the file was read in.
bool Prepare(const QString& path, std::vector<Row>& rows, TextCodec::Encoding& encoding,
             QString& errorText);

enum class Status { Done, Cancelled, Failed };

struct Result {
    Status status = Status::Failed;
    int added = 0;           // rows added; 0 unless Done
    QStringList companyIds;  // the QYID of each added row, when Done
    QString errorText;
};

// Rows added with each statement: few round trips to a server, yet a
// progress step the operator sees move.
inline constexpr std::size_t kImportBatchRows = 500;

// Asked after each statement of added rows with the count so far and the
// number to add; false cancels.
using Progress = std::function<bool(int done, int total)>;

// Adds the rows classified Add, with the add dialog's insert, kImportBatchRows
// to a statement, inside one transaction: cancelled, or any row not added
// (another desk added the number since the preview, or the database refused),
// and nothing is added.
Result Run(const std::vector<Row>& rows, const Progress& progress = {});

}  // namespace CompanyImport
