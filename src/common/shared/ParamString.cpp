#include "ParamString.h"

#include <array>
#include <cstdlib>
#include <cstring>

namespace ParamString {

namespace {

constexpr std::string_view kEscapedMark = "&eq%";
constexpr std::string_view kEscapedSeparator = "&lim%";

constexpr std::array<unsigned char, 256> MakeUpperTable() {
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i) {
        table[i] = static_cast<unsigned char>((i >= 'a' && i <= 'z') ? i - 'a' + 'A' : i);
    }
    return table;
}

constexpr std::array<unsigned char, 256> kUpper = MakeUpperTable();

struct Pair {
    std::string_view name;
    std::string_view value;
    bool hasMark = false;
};

Pair SplitPair(std::string_view piece) {
    const std::size_t mark = piece.find(kNameValueMark);
    if (mark == std::string_view::npos) {
        return {{}, piece, false};
    }
    return {piece.substr(0, mark), piece.substr(mark + 1), true};
}

// Calls visit(piece) for every piece between separators, the trailing empty one included.
template <typename Visit>
void ForEachPiece(std::string_view text, Visit visit) {
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(kSeparator, start);
        if (end == std::string_view::npos) {
            visit(text.substr(start));
            return;
        }
        if (!visit(text.substr(start, end - start))) {
            return;
        }
        start = end + 1;
    }
}

// Header ahead of a host buffer; 16 bytes keep the handed-out address aligned.
struct alignas(16) BufferHeader {
    std::size_t size;
};

}  // namespace

std::string ReplaceAll(std::string_view source, std::string_view pattern,
                       std::string_view replacement, bool caseSensitive) {
    if (source.empty()) {
        return {};
    }
    if (pattern.empty() || pattern.size() > source.size()) {
        return std::string(source);
    }
    auto fold = [caseSensitive](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return caseSensitive ? byte : kUpper[byte];
    };

    const std::size_t m = pattern.size();
    std::array<std::size_t, 256> skip;
    skip.fill(m);
    for (std::size_t i = 0; i + 1 < m; ++i) {
        skip[fold(pattern[i])] = m - 1 - i;
    }

    std::string result;
    result.reserve(source.size());
    std::size_t copied = 0;
    std::size_t pos = 0;
    while (pos + m <= source.size()) {
        std::size_t j = m;
        while (j > 0 && fold(source[pos + j - 1]) == fold(pattern[j - 1])) {
            --j;
        }
        if (j == 0) {
            result.append(source.substr(copied, pos - copied));
            result.append(replacement);
            pos += m;
            copied = pos;
        } else {
            pos += skip[fold(source[pos + m - 1])];
        }
    }
    result.append(source.substr(copied));
    return result;
}

std::string EncodeParamValue(std::string_view value) {
    const std::string marked = ReplaceAll(value, "=", kEscapedMark, true);
    return ReplaceAll(marked, ";", kEscapedSeparator, true);
}

std::string DecodeParamValue(std::string_view text) {
    const std::string marked = ReplaceAll(text, kEscapedMark, "=", true);
    return ReplaceAll(marked, kEscapedSeparator, ";", true);
}

std::string GetParamValue(std::string_view paramString, std::string_view name) {
    std::string result;
    ForEachPiece(paramString, [&](std::string_view piece) {
        const Pair pair = SplitPair(piece);
        if (pair.hasMark && pair.name == name && !pair.value.empty()) {
            result = DecodeParamValue(pair.value);
            return false;
        }
        return true;
    });
    return result;
}

void SplitParamString(std::string_view text, std::string_view separator,
                      std::vector<std::string>& list) {
    if (separator.empty()) {
        list.emplace_back(text);
        return;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            list.emplace_back(text.substr(start));
            return;
        }
        list.emplace_back(text.substr(start, end - start));
        start = end + separator.size();
    }
}

std::string SetParamValue(std::string_view paramString, std::string_view name,
                          std::string_view value) {
    const std::string encoded = EncodeParamValue(value);
    std::string newPair;
    newPair.reserve(name.size() + 1 + encoded.size());
    newPair.append(name).append(1, kNameValueMark).append(encoded);

    if (paramString.empty()) {
        return newPair;
    }

    const auto isTarget = [name](std::string_view piece) {
        const Pair pair = SplitPair(piece);
        return pair.hasMark && pair.name == name;
    };
    bool found = false;
    ForEachPiece(paramString, [&](std::string_view piece) {
        found = isTarget(piece);
        return !found;
    });

    if (!found) {
        std::string result;
        result.reserve(paramString.size() + 1 + newPair.size());
        result.append(paramString);
        if (result.back() != kSeparator) {
            result.push_back(kSeparator);
        }
        return result.append(newPair);
    }

    // Pieces are written back as they stood, the first pair of the name
    // replaced (or dropped for an empty value); empty pieces (left by a
    // trailing separator or by ";;") are dropped so that rebuilds never grow
    // the string. Pieces are views into the input: nothing is copied twice.
    std::string result;
    result.reserve(paramString.size() + newPair.size() + 1);
    bool replaced = false;
    ForEachPiece(paramString, [&](std::string_view piece) {
        if (piece.empty()) {
            return true;
        }
        if (!replaced && isTarget(piece)) {
            replaced = true;
            if (!encoded.empty()) {
                result.append(newPair).push_back(kSeparator);
            }
            return true;
        }
        result.append(piece).push_back(kSeparator);
        return true;
    });
    return result;
}

std::size_t AssumedCapacity(const char* buffer) {
    if (buffer == nullptr) {
        return 0;
    }
    const std::size_t used = std::strlen(buffer) + 1;
    return used > kHostBufferSize ? used : kHostBufferSize;
}

std::size_t CopyToBuffer(std::string_view paramString, char* buffer, std::size_t capacity) {
    if (buffer == nullptr || capacity == 0) {
        return 0;
    }
    const std::size_t limit = capacity - 1;
    std::size_t length = paramString.size();
    if (length > limit) {
        // Keep whole pairs only: cut at the last separator that still fits.
        const std::size_t cut = paramString.rfind(kSeparator, limit);
        length = cut == std::string_view::npos ? 0 : cut;
    }
    std::memcpy(buffer, paramString.data(), length);
    buffer[length] = '\0';
    return length;
}

bool AllocHostBuffer(std::size_t size, char*& buffer) {
    buffer = nullptr;
    if (size == 0) {
        return true;
    }
    if (size > static_cast<std::size_t>(-1) - sizeof(BufferHeader)) {
        return false;
    }
    void* block = std::calloc(1, sizeof(BufferHeader) + size);
    if (block == nullptr) {
        return false;
    }
    static_cast<BufferHeader*>(block)->size = size;
    buffer = static_cast<char*>(block) + sizeof(BufferHeader);
    return true;
}

void FreeHostBuffer(char* buffer) {
    if (buffer != nullptr) {
        std::free(buffer - sizeof(BufferHeader));
    }
}

std::size_t HostBufferSize(const char* buffer) {
    if (buffer == nullptr) {
        return 0;
    }
    return reinterpret_cast<const BufferHeader*>(buffer - sizeof(BufferHeader))->size;
}

HostBuffer::HostBuffer(std::size_t size) : valid_(AllocHostBuffer(size, buffer_)) {
    if (valid_) {
        size_ = size;
    }
}

HostBuffer::~HostBuffer() {
    FreeHostBuffer(buffer_);
}

void HostBuffer::Assign(std::string_view paramString) {
    CopyToBuffer(paramString, buffer_, size_);
}

std::string HostBuffer::Text() const {
    if (buffer_ == nullptr) {
        return {};
    }
    return std::string(buffer_, strnlen(buffer_, size_));
}

}  // namespace ParamString
