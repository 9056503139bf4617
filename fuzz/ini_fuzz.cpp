// The settings-file reader. Built files: sections (repeated, in any letter
// case, padded with blanks), keys, plain and quoted values with comments
// behind them, comment lines, stray lines and unclosed headers, written as
// UTF-8 or GBK; the reader gives every key the value of its first line.
// Any bytes: a file is read exactly when it is UTF-8 or GBK text, and a
// section written after whatever came before still reads whole.
#include <fuzzer/FuzzedDataProvider.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "IniFile.h"
#include "TextCodec.h"

#include <QStringDecoder>

namespace {

// Letters in both cases, blanks, the marks the reader looks for, and Chinese.
const QString kAlphabet = QStringLiteral("aBcXyZ09 \t;#=\"[]_.中文设置");

QString Draw(FuzzedDataProvider& input, int maxLength) {
    const int length = input.ConsumeIntegralInRange<int>(0, maxLength);
    QString text;
    for (int i = 0; i < length; ++i) {
        text += kAlphabet[input.ConsumeIntegralInRange<qsizetype>(0, kAlphabet.size() - 1)];
    }
    return text;
}

bool IsMark(QChar c) {
    return c == QLatin1Char(';') || c == QLatin1Char('#');
}

// A name the reader can hold: trimmed, free of the given characters, and not
// starting with a comment mark or "[".
QString Name(QString text, const QString& forbidden) {
    for (const QChar c : forbidden) {
        text.remove(c);
    }
    text = text.trimmed();
    while (!text.isEmpty() && (IsMark(text.front()) || text.front() == QLatin1Char('['))) {
        text = text.mid(1).trimmed();
    }
    return text;
}

// A value that reads back as written: trimmed, not opening with a quote or a
// comment mark, and without a comment mark after a blank.
QString PlainValue(QString text) {
    text = text.trimmed();
    while (!text.isEmpty() && (text.front() == QLatin1Char('"') || IsMark(text.front()))) {
        text = text.mid(1).trimmed();
    }
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (IsMark(text[i]) && text[i - 1].isSpace()) {
            text[i] = QLatin1Char('_');
        }
    }
    return text;
}

QString Comment(FuzzedDataProvider& input) {
    return QStringLiteral(" \t").left(input.ConsumeIntegralInRange<int>(0, 2)) +
           (input.ConsumeBool() ? QStringLiteral(";") : QStringLiteral("#")) + Draw(input, 8);
}

bool ValidUtf8(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)utf8.decode(bytes);
    return !utf8.hasError();
}

void BuiltFile(FuzzedDataProvider& input) {
    QString text;
    // Lowered section and key -> the value of their first line.
    std::map<std::pair<QString, QString>, QString> expected;
    std::vector<std::pair<QString, QString>> written;
    QString section;
    const int lineCount = input.ConsumeIntegralInRange<int>(0, 40);
    const QString end = input.ConsumeBool() ? QStringLiteral("\r\n") : QStringLiteral("\n");
    for (int line = 0; line < lineCount && input.remaining_bytes() > 0; ++line) {
        const QString pad = QStringLiteral("  \t").left(input.ConsumeIntegralInRange<int>(0, 3));
        switch (input.ConsumeIntegralInRange<int>(0, 7)) {
            case 0:
                section = Name(Draw(input, 8), QStringLiteral("]"));
                text += pad + QLatin1Char('[') + pad + section + pad + QLatin1Char(']') +
                        (input.ConsumeBool() ? Comment(input) : QString()) + end;
                break;
            case 1:
                text += pad + Comment(input).trimmed() + end;
                break;
            case 2:
                // Unclosed headers and lines without "=" change nothing.
                text += pad + (input.ConsumeBool() ? QStringLiteral("[") : QString()) +
                        Name(Draw(input, 8), QStringLiteral("]=")) + end;
                break;
            case 3:
                text += pad + QLatin1Char('=') + Draw(input, 6) + end;
                break;
            default: {
                const QString key = Name(Draw(input, 6), QStringLiteral("="));
                if (key.isEmpty()) {
                    break;
                }
                QString value;
                QString right;
                if (input.ConsumeBool()) {
                    value = Draw(input, 12).remove(QLatin1Char('"'));
                    right = QLatin1Char('"') + value + QLatin1Char('"') +
                            (input.ConsumeBool() ? Comment(input) : QString());
                } else {
                    value = PlainValue(Draw(input, 12));
                    right = value + (input.ConsumeBool() && !value.isEmpty()
                                         ? QStringLiteral(" ") + Comment(input)
                                         : QString());
                }
                text += pad + key + pad + QLatin1Char('=') + pad + right + pad + end;
                expected.try_emplace({section.toLower(), key.toLower()}, value);
                written.emplace_back(section, key);
                break;
            }
        }
    }
    QByteArray bytes;
    switch (input.ConsumeIntegralInRange<int>(0, 2)) {
        case 0:
            bytes = text.toUtf8();
            break;
        case 1:
            bytes = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
            break;
        default:
            bytes = TextCodec::EncodeGbk(text);
            // GBK that happens to be UTF-8 as well is read as UTF-8.
            if (bytes != text.toUtf8() && ValidUtf8(bytes)) {
                return;
            }
    }
    IniFile ini;
    QString errorText;
    Require(ini.Load(WriteScratchFile(QStringLiteral("built.ini"), bytes), errorText));
    for (const auto& [inSection, key] : written) {
        Require(ini.Contains(inSection, key));
        Require(ini.Value(inSection, key) == expected.at({inSection.toLower(), key.toLower()}));
    }
    Require(!ini.Contains(section, QStringLiteral("no-such-key")));
}

void AnyBytes(FuzzedDataProvider& input) {
    const std::string raw = input.ConsumeRemainingBytesAsString();
    const QByteArray bytes(raw.data(), static_cast<qsizetype>(raw.size()));
    IniFile ini;
    QString errorText;
    const QString path = WriteScratchFile(QStringLiteral("any.ini"), bytes);
    const bool loaded = ini.Load(path, errorText);
    Require(loaded == TextCodec::DecodeUtf8OrGbk(bytes).has_value());
    Require(loaded || !errorText.isEmpty());
    if (bytes.toLower().contains("probe")) {
        return;
    }
    const QByteArray appended = bytes + "\n[Probe]\nKey = value ; comment\n";
    if (ini.Load(WriteScratchFile(QStringLiteral("any.ini"), appended), errorText)) {
        Require(ini.Value(QStringLiteral("probe"), QStringLiteral("key")) ==
                QLatin1String("value"));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool()) {
        BuiltFile(input);
    } else {
        AnyBytes(input);
    }
    return 0;
}
