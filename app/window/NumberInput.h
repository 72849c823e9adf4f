// Number fields as Japanese users type them: full-width digits, point and
// signs (from the Japanese input method) become their ASCII forms as typed,
// anything else that is not part of a number is refused, and a field whose
// text is not a number in its range leaves the setting as it was.
#pragma once

#include <QString>
#include <QValidator>

class QLineEdit;

// "０．５" → "0.5", "－１２" → "-12"; other characters stay.
QString HalfWidthNumber(const QString& text);

class NumberValidator : public QValidator {
 public:
  // Accepted: a decimal number (an integer when `integer`) from bottom to top.
  NumberValidator(double bottom, double top, bool integer, QObject* parent = nullptr);
  State validate(QString& input, int& pos) const override;
  void fixup(QString& input) const override;

 private:
  double bottom_, top_;
  bool integer_;
};

// Gives `edit` a NumberValidator.
void MakeNumberInput(QLineEdit* edit, double bottom, double top, bool integer = false);
