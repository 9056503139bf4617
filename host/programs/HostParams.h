// Parameter strings as the host programs build and read them. Every value goes
// through the shared codec, so a value holding ";" or "=" stays one value
// instead of becoming pairs of its own.
#pragma once

#include <QString>

#include <string>
#include <utility>
#include <vector>

namespace HostParams {

// The value stored under name, as the module reads it; empty when missing.
QString Value(const std::string& params, const char* name);
// params with name set to value, escaped.
std::string With(const std::string& params, const char* name, const QString& value);
// The operator's part of an entry point's parameter string.
std::string OperatorParams(const QString& operatorCode, const QString& operatorClass);
// The name=value pairs of a parameter string, in order, values decoded; pieces
// without a name are skipped.
std::vector<std::pair<QString, QString>> Pairs(const std::string& params);

}  // namespace HostParams
