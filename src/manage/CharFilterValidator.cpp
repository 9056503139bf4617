#include "CharFilterValidator.h"

#include <utility>

TCharFilterValidator::TCharFilterValidator(QString allowed, int maxLength, QObject* parent)
    : QValidator(parent), allowed_(std::move(allowed)), maxLength_(maxLength) {}

QValidator::State TCharFilterValidator::validate(QString& input, int& pos) const {
    // The cursor stays behind the same kept character.
    int keptBeforeCursor = 0;
    for (int i = 0; i < pos && i < input.size(); ++i) {
        if (allowed_.contains(input.at(i))) {
            ++keptBeforeCursor;
        }
    }
    input = Filter(input);
    pos = qMin(keptBeforeCursor, static_cast<int>(input.size()));
    return Acceptable;
}

QString TCharFilterValidator::Filter(const QString& text) const {
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        if (allowed_.contains(c)) {
            kept += c;
        }
    }
    if (maxLength_ > 0 && kept.size() > maxLength_) {
        kept.truncate(maxLength_);
    }
    return kept;
}
