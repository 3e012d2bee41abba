#pragma once

// Dialogs from their templates (DialogBuilder.cpp): the window sized in dialog units of the
// template's font, and a widget for each control of the template.

#include "platform/win/Win.h"

#include <vector>

class QDialog;
class QFont;
class QWidget;

namespace platform {

class DialogWidget;

// Pixels per dialog unit, from the dialog font: x is the average character width / 4, y the
// character height / 8.
struct DialogUnits {
    double x;
    double y;
    int ToX(int units) const { return int(units * x + 0.5); }
    int ToY(int units) const { return int(units * y + 0.5); }
};

// The font of a dialog template at a screen's logical DPI. As where the templates come from, a
// point size is a whole number of pixels (8 points at 96 DPI are 11); faces of other systems fall
// back to one of the same widths.
QFont DialogFont(const char* face, int points, double dpi);
// The dialog units of a font: the average width of the 52 letters / 4 across; the character cell
// / 8 down, the cell being the ascent and the descent each rounded up to whole pixels, so that an
// 11-pixel font of the common sans-serif metrics has a 13-pixel cell.
DialogUnits UnitsOf(const QFont& font);

// Gives a dialog window its template's caption, font, size and frame; returns the dialog units of
// its font.
DialogUnits ShapeDialogWindow(QDialog& window, const DialogTemplate& dialogTemplate);

// Creates the template's controls on the window of dialog, placed in dialog units, in the
// template's tab order, each registered as a child of dialog; a click on a button is a command
// of the window. Returns the controls in the template's order.
std::vector<QWidget*> CreateControls(DialogWidget& window, HWND dialog,
                                     const DialogTemplate& dialogTemplate,
                                     const DialogUnits& units);

} // namespace platform
