#include "CharSetValidator.h"

#include <utility>

#include "HalfWidth.h"

TCharSetValidator::TCharSetValidator(QString allowed, int maxLength, QObject* parent)
    : QValidator(parent), allowed_(std::move(allowed)), maxLength_(maxLength) {}

QValidator::State TCharSetValidator::validate(QString& input, int& /*pos*/) const {
    // One character for one, so the cursor keeps its place.
    const QString half = ToHalfWidth(input);
    if (maxLength_ > 0 && half.size() > maxLength_) {
        return Invalid;
    }
    for (const QChar c : half) {
        if (!allowed_.contains(c)) {
            return Invalid;
        }
    }
    input = half;
    return Acceptable;
}
