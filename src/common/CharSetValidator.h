// Lets into an edit only texts made of the allowed characters, typed, pasted
// or dropped, and at most maxLength of them (0: no limit). Full-width forms
// count as the ASCII characters they stand for and are made so as they enter.
// A text holding anything else, or too long, is refused whole and the edit
// keeps what it held: nothing is kept that differs from what the operator
// put in, as dropping the other characters or cutting the tail would do.
// Enter and Esc are no characters and keep their roles.
#pragma once

#include <QString>
#include <QValidator>

class TCharSetValidator : public QValidator {
    Q_OBJECT

  public:
    TCharSetValidator(QString allowed, int maxLength, QObject* parent);

    State validate(QString& input, int& pos) const override;

  private:
    QString allowed_;
    int maxLength_;
};
