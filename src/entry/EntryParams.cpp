#include "EntryParams.h"

#include "HostServices.h"
#include "ParamString.h"

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
    const QString setName = QString::fromUtf8(name);
    if (!set_.contains(setName)) {
        set_ << setName;
    }
}

bool EntryParams::Finish(bool result) {
    return WriteBack() && result;
}

bool EntryParams::WriteBack() {
    written_ = true;
    if (buffer_ == nullptr) {
        return false;
    }
    if (text_.size() < capacity_) {
        ParamString::CopyToBuffer(text_, buffer_, capacity_);
        return true;
    }
    // All or nothing: the buffer keeps the string it came with (which always
    // fits), so a caller never reads half an answer.
    logQuery::Error("1", QStringLiteral("参数串写回失败：调用方缓冲区按%1字节计，需要%2字节，"
                                        "未写回的参数：%3")
                             .arg(capacity_)
                             .arg(text_.size() + 1)
                             .arg(SetPairNames()));
    return false;
}

QString EntryParams::SetPairNames() const {
    return set_.join(QLatin1Char(','));
}
