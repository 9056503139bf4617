// Keeps only the allowed characters of whatever reaches an edit: typed,
// pasted or dropped, and at most maxLength of them (0: no limit). The limit
// lives here rather than in the edit's maxLength, which would cut a pasted
// text before the characters that are not allowed are dropped. Enter and Esc
// are no characters and keep their roles.
#pragma once

#include <QString>
#include <QValidator>

class TCharFilterValidator : public QValidator {
    Q_OBJECT

  public:
    TCharFilterValidator(QString allowed, int maxLength, QObject* parent);

    State validate(QString& input, int& pos) const override;

    // The text without the characters that are not allowed, cut to the limit.
    QString Filter(const QString& text) const;

  private:
    QString allowed_;
    int maxLength_;
};
