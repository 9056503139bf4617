// Any parameter string, name, value and buffer size: every named pair stays
// readable, escaped values round-trip, replace-all agrees with a plain search,
// and nothing is written past a caller's buffer.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ParamString.h"

using namespace ParamString;

namespace {

void CheckAt(bool condition, const char* what, int line) {
    if (!condition) {
        std::fprintf(stderr, "check failed at line %d: %s\n", line, what);
        std::abort();
    }
}

#define Check(condition) CheckAt((condition), #condition, __LINE__)

// First non-empty value of every name, as a reader finds it.
std::map<std::string, std::string> ReadableValues(const std::string& text) {
    std::vector<std::string> pieces;
    SplitParamString(text, ";", pieces);
    std::map<std::string, std::string> values;
    for (const std::string& piece : pieces) {
        const std::size_t mark = piece.find('=');
        if (mark == std::string::npos || mark + 1 == piece.size()) {
            continue;
        }
        values.emplace(piece.substr(0, mark), DecodeParamValue(piece.substr(mark + 1)));
    }
    return values;
}

std::string NaiveReplaceAll(const std::string& source, const std::string& pattern,
                            const std::string& replacement, bool caseSensitive) {
    auto fold = [caseSensitive](std::string text) {
        if (!caseSensitive) {
            for (char& c : text) {
                if (c >= 'a' && c <= 'z') {
                    c = static_cast<char>(c - 'a' + 'A');
                }
            }
        }
        return text;
    };
    const std::string foldedSource = fold(source);
    const std::string foldedPattern = fold(pattern);
    std::string result;
    std::size_t from = 0;
    while (true) {
        const std::size_t at = foldedSource.find(foldedPattern, from);
        if (at == std::string::npos) {
            break;
        }
        result += source.substr(from, at - from) + replacement;
        from = at + pattern.size();
    }
    return result + source.substr(from);
}

std::string CString(std::string text) {
    text.resize(std::strlen(text.c_str()));
    return text;
}

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    // Everything arrives in zero-terminated buffers, so no text holds a zero.
    const std::string name = CString(input.ConsumeRandomLengthString(32));
    const std::string value = CString(input.ConsumeRandomLengthString(64));
    const std::string pattern = CString(input.ConsumeRandomLengthString(8));
    const bool caseSensitive = input.ConsumeBool();
    const std::size_t capacity = input.ConsumeIntegralInRange<std::size_t>(1, 600);
    const std::string text = CString(input.ConsumeRemainingBytesAsString());

    // Replace-all and splitting agree with plain searches.
    if (!pattern.empty()) {
        Check(ReplaceAll(text, pattern, value, caseSensitive) ==
              NaiveReplaceAll(text, pattern, value, caseSensitive));
        std::vector<std::string> pieces;
        SplitParamString(text, pattern, pieces);
        std::string joined;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            joined += (i == 0 ? "" : pattern) + pieces[i];
        }
        Check(joined == text);
    }

    // Writing keeps every other named pair readable and stores the value.
    const bool plainName = !name.empty() && name.find_first_of("=;") == std::string::npos;
    const std::string updated = SetParamValue(text, name, value);
    const auto before = ReadableValues(text);
    const auto after = ReadableValues(updated);
    for (const auto& [key, readable] : before) {
        if (key != name) {
            Check(GetParamValue(updated, key) == readable);
        }
    }
    if (plainName && !value.empty() && !Contains(value, "&eq%") && !Contains(value, "&lim%")) {
        Check(GetParamValue(updated, name) == value);
    }
    // Storing the same value again never grows the string.
    if (plainName && !value.empty()) {
        Check(SetParamValue(updated, name, value).size() <= updated.size() + 1);
    }

    // Copy-back into a buffer of exactly this capacity: whole pairs only.
    auto buffer = std::make_unique<char[]>(capacity);
    const std::size_t written = CopyToBuffer(updated, buffer.get(), capacity);
    Check(written < capacity && buffer[written] == '\0');
    Check(std::memcmp(buffer.get(), updated.data(), written) == 0);
    Check(written == updated.size() || written == 0 || updated[written] == ';');
    const std::string kept(buffer.get(), written);
    for (const auto& [key, readable] : ReadableValues(kept)) {
        Check(after.at(key) == readable);
    }

    // Host buffers hold what they are given and free by address.
    HostBuffer host(capacity);
    Check(host.IsValid());
    host.Assign(updated);
    Check(host.Text() == kept);
    return 0;
}
