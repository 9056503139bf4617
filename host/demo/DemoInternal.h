// The pieces of a demo folder, each written by its own file.
#pragma once

#include <QString>
#include <QStringList>

#include "DemoData.h"

namespace DemoBuild {

inline constexpr const char* kOperatorCode = "0001";
inline constexpr const char* kRoleCode = "R01";
// One generator draws every record, so a company's data do not depend on
// whether the folder is an agency's.
inline constexpr quint64 kRecordSeed = 0x20240601;
inline constexpr quint64 kCertificateSeed = 0x20240602;

// root ends in "/".
bool WriteSettings(const QString& root, const DemoOptions& options, QString& errorText);
bool WriteDictionaries(const QString& root, QString& errorText);
bool WriteCommandConfigs(const QString& root, QString& errorText);
bool WriteCertificates(const QString& root, const QStringList& companyCodes, QString& errorText);

// Fills the database of the running host in one transaction. companyCodes
// receives the codes of the first few companies, for the certificate folders.
bool FillDatabase(const DemoOptions& options, QStringList& companyCodes, QString& errorText);
// The demo operator has chosen a few companies before: the selection dialog
// lists them first. Written through the running host into his settings.
bool WriteRecentCompanies(const DemoOptions& options, QString& errorText);

}  // namespace DemoBuild
