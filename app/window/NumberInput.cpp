#include "app/window/NumberInput.h"

#include <QLineEdit>
#include <QRegularExpression>

QString HalfWidthNumber(const QString& text) {
  QString out = text;
  for (QChar& c : out) {
    const char16_t u = c.unicode();
    if (u >= 0xFF10 && u <= 0xFF19) c = QChar(static_cast<char16_t>(u'0' + (u - 0xFF10)));  // ０..９
    else if (u == 0xFF0E || u == 0x3002) c = QChar(u'.');              // ．and 。 typed for a point
    else if (u == 0xFF0D || u == 0x2212 || u == 0x30FC) c = QChar(u'-');  // －, −, ー
    else if (u == 0xFF0B) c = QChar(u'+');                               // ＋
    else if (u == 0x3000) c = QChar(u' ');                               // the full-width space
  }
  return out;
}

NumberValidator::NumberValidator(double bottom, double top, bool integer, QObject* parent)
    : QValidator(parent), bottom_(bottom), top_(top), integer_(integer) {}

QValidator::State NumberValidator::validate(QString& input, int& /*pos*/) const {
  input = HalfWidthNumber(input);  // one character for one: the cursor stays where it was
  static const QRegularExpression real(QStringLiteral("^\\s*[+-]?\\d*\\.?\\d*\\s*$"));
  static const QRegularExpression whole(QStringLiteral("^\\s*[+-]?\\d*\\s*$"));
  if (!(integer_ ? whole : real).match(input).hasMatch()) return Invalid;
  bool ok = false;
  const double v = input.trimmed().toDouble(&ok);
  if (!ok) return Intermediate;  // "", "-", "."
  return v >= bottom_ && v <= top_ ? Acceptable : Intermediate;
}

void NumberValidator::fixup(QString& input) const { input = HalfWidthNumber(input).trimmed(); }

void MakeNumberInput(QLineEdit* edit, double bottom, double top, bool integer) {
  edit->setValidator(new NumberValidator(bottom, top, integer, edit));
}
