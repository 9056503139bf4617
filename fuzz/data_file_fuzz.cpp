// The host's data-file readers over any bytes: a file is read exactly when it
// is UTF-8 or GBK text, its text encodes back to the same bytes, a file that
// is refused leaves the caller's lines alone, and the lines are the text cut
// at every kind of line end. The seeds are industry, region and IC card files.
#include <string>

#include "FuzzSupport.h"
#include "HostServices.h"
#include "ParamString.h"
#include "TextCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString path = WriteScratchFile(QStringLiteral("data.txt"), bytes);

    QString text;
    QString errorText;
    const bool read = ModuleLib::ReadDataFileText(path, text, errorText);
    Require(read == TextCodec::DecodeUtf8OrGbk(bytes).has_value());
    const QStringList before{QStringLiteral("held")};
    QStringList lines = before;
    QString linesError;
    Require(ModuleLib::ReadDataFileLines(path, lines, linesError) == read);
    if (!read) {
        Require(!errorText.isEmpty() && !linesError.isEmpty());
        Require(lines == before);
        return 0;
    }

    // Nothing is lost or made up in decoding.
    static const QByteArray kByteOrderMark("\xEF\xBB\xBF");
    QByteArray withoutMark = bytes;
    while (withoutMark.startsWith(kByteOrderMark)) {
        withoutMark.remove(0, kByteOrderMark.size());
    }
    Require(text.toUtf8() == withoutMark || TextCodec::EncodeGbk(text) == bytes);

    QString joined;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        Require(!lines[i].contains(QLatin1Char('\n')) && !lines[i].contains(QLatin1Char('\r')));
        joined += (i == 0 ? QString() : QStringLiteral("\n")) + lines[i];
    }
    QString expected = text;
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    expected.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (expected.endsWith(QLatin1Char('\n'))) {
        expected.chop(1);
    }
    Require(joined == expected);

    // IC card lines are parameter strings; reading them must stay in bounds.
    for (const QString& line : lines) {
        const std::string params = line.toStdString();
        for (const char* key : {"ICBH", "ICLX", "KPJH"}) {
            ParamString::GetParamValue(params, key);
        }
    }
    return 0;
}
