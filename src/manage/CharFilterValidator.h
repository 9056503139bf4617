// Keeps only the allowed characters of whatever reaches an edit: typed,
// pasted or dropped. Enter and Esc are no characters and keep their roles.
#pragma once

#include <QString>
#include <QValidator>

class TCharFilterValidator : public QValidator {
    Q_OBJECT

  public:
    TCharFilterValidator(QString allowed, QObject* parent);

    State validate(QString& input, int& pos) const override;

    // The text without the characters that are not allowed.
    QString Filter(const QString& text) const;

  private:
    QString allowed_;
};
