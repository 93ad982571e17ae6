// Dialog units: a template gives positions in quarters of the dialog font's
// average character width and eighths of its height; these turn them into
// pixels the way the Windows dialog manager does.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace ridloe {

// The base units of a font: the average width of the 52 Latin letters
// (rounded as the Windows dialog manager rounds it) and the character height.
QSize DialogBaseUnits(const QFont& font);

// a * b / c rounded half away from zero, as the Windows MulDiv rounds.
int MulDiv(int a, int b, int c);

// Maps a rectangle in dialog units to pixels: x and width by baseX / 4,
// y and height by baseY / 8, each value on its own.
QRect MapDialogRect(const QRect& units, QSize base);
QSize MapDialogSize(QSize units, QSize base);

}  // namespace ridloe
