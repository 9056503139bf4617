// Lets into an edit only texts made of the allowed characters, typed, pasted
// or dropped, and at most maxLength of them (0: no limit). Full-width forms
// count as the ASCII characters they stand for, and what the operator types
// or pastes is made so as it enters; a stored text shown in the field stays
// as stored. A text holding anything else, or too long, is refused whole and
// the edit keeps what it held: nothing is kept that differs from what the
// operator put in. Enter and Esc are no characters and keep their roles.
#pragma once

#include <QString>
#include <QValidator>

class QLineEdit;

class TCharSetValidator : public QValidator {
    Q_OBJECT

  public:
    // Sets the validator on the edit, which owns it.
    static TCharSetValidator* Attach(QLineEdit* edit, QString allowed, int maxLength);

    State validate(QString& input, int& pos) const override;

  private:
    TCharSetValidator(QString allowed, int maxLength, QLineEdit* edit);
    // Folds the characters the operator just put in, and only those.
    void FoldTyped(const QString& text);

    QString allowed_;
    int maxLength_;
    QLineEdit* edit_;
    QString before_;  // the edit's text before the operator's change
};
