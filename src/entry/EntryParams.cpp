#include "EntryParams.h"

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
    if (buffer_ != nullptr) {
        ParamString::CopyToBuffer(text_, buffer_, capacity_);
    }
}

QString EntryParams::Get(const char* name) const {
    return QString::fromStdString(ParamString::GetParamValue(text_, name));
}

void EntryParams::Set(const char* name, const QString& value) {
    text_ = ParamString::SetParamValue(text_, name, value.toStdString());
}
