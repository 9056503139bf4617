#include "HostParams.h"

#include "ParamString.h"

namespace HostParams {

QString Value(const std::string& params, const char* name) {
    return QString::fromStdString(ParamString::GetParamValue(params, name));
}

std::string With(const std::string& params, const char* name, const QString& value) {
    return ParamString::SetParamValue(params, name, value.toStdString());
}

std::string OperatorParams(const QString& operatorCode, const QString& operatorClass) {
    return With(With(std::string(), "CZY_DM", operatorCode), "CZY_LB", operatorClass);
}

std::vector<std::pair<QString, QString>> Pairs(const std::string& params) {
    std::vector<std::string> pieces;
    ParamString::SplitParamString(params, std::string(1, ParamString::kSeparator), pieces);
    std::vector<std::pair<QString, QString>> pairs;
    for (const std::string& piece : pieces) {
        const std::size_t mark = piece.find(ParamString::kNameValueMark);
        if (mark == std::string::npos || mark == 0) {
            continue;
        }
        pairs.emplace_back(QString::fromStdString(piece.substr(0, mark)),
                           QString::fromStdString(ParamString::DecodeParamValue(
                               std::string_view(piece).substr(mark + 1))));
    }
    return pairs;
}

}  // namespace HostParams
