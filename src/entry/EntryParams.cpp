#include "EntryParams.h"

#include <string_view>

#include "HostServices.h"
#include "ParamString.h"

namespace {

// Names of the pairs in a parameter string, for the log.
QString PairNames(std::string_view text) {
    QStringList names;
    while (!text.empty()) {
        const std::size_t end = text.find(ParamString::kSeparator);
        const std::string_view piece = text.substr(0, end);
        const std::size_t mark = piece.find(ParamString::kNameValueMark);
        if (mark != std::string_view::npos) {
            names << QString::fromUtf8(piece.data(), static_cast<qsizetype>(mark));
        }
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return names.join(QLatin1Char(','));
}

}  // namespace

EntryParams::EntryParams(int count, char** buffers) {
    if (count < 1 || buffers == nullptr || buffers[0] == nullptr) {
        return;
    }
    buffer_ = buffers[0];
    capacity_ = ParamString::AssumedCapacity(buffer_);
    text_ = buffer_;
}

EntryParams::~EntryParams() {
    if (!written_) {
        try {
            WriteBack();
        } catch (...) {
        }
    }
}

QString EntryParams::Get(const char* name) const {
    return QString::fromStdString(ParamString::GetParamValue(text_, name));
}

void EntryParams::Set(const char* name, const QString& value) {
    text_ = ParamString::SetParamValue(text_, name, value.toStdString());
}

bool EntryParams::Finish(bool result) {
    return WriteBack() && result;
}

bool EntryParams::WriteBack() {
    written_ = true;
    if (buffer_ == nullptr) {
        return false;
    }
    const std::size_t written = ParamString::CopyToBuffer(text_, buffer_, capacity_);
    if (written == text_.size()) {
        return true;
    }
    // The incoming string always fits, so only pairs set here are lost.
    logQuery::Error("1", QStringLiteral("参数串写回失败：调用方缓冲区按%1字节计，需要%2字节，"
                                        "未写回的参数：%3")
                             .arg(capacity_)
                             .arg(text_.size() + 1)
                             .arg(PairNames(std::string_view(text_).substr(written))));
    return false;
}
