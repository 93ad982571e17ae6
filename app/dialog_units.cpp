#include "app/dialog_units.h"

#include <QFontMetrics>
#include <cstdint>
#include <cstdlib>

namespace ridloe {

QSize DialogBaseUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return QSize((letters / 26 + 1) / 2, metrics.height());
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const std::int64_t product = std::int64_t{a} * b;
  const std::int64_t divisor = c;
  const std::int64_t magnitude = (std::abs(product) + std::abs(divisor) / 2) / std::abs(divisor);
  return static_cast<int>((product < 0) != (divisor < 0) ? -magnitude : magnitude);
}

QRect MapDialogRect(const QRect& units, QSize base) {
  return QRect(MulDiv(units.x(), base.width(), 4), MulDiv(units.y(), base.height(), 8),
               MulDiv(units.width(), base.width(), 4), MulDiv(units.height(), base.height(), 8));
}

QSize MapDialogSize(QSize units, QSize base) {
  return QSize(MulDiv(units.width(), base.width(), 4), MulDiv(units.height(), base.height(), 8));
}

}  // namespace ridloe
