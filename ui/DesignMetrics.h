#pragma once
// The windows are designed in twips at 96 dots per inch (15 twips to a
// pixel) with Windows fonts. These helpers pick the closest installed font
// and scale the designed geometry to the screen's resolution.

#include <QFont>
#include <QLineEdit>
#include <QString>
#include <QWidget>

#include <span>

namespace brisk {

// One control's designed font; a null family keeps the window's family.
struct DesignFont {
    const char* control;
    const char* family;
    double points;
    bool bold = false;
    bool underline = false;
};

// The designed family when installed, else the closest installed one of the
// same kind (sans-serif for Tahoma and MS Sans Serif, monospace for Courier
// New and Lucida Console).
QString installedFamily(const QString& designFamily);
// How much smaller the substitute of a designed family is set, so that the
// captions keep the room the design gave them (1 for installed families).
double substituteScale(const QString& designFamily);
// The designed font, or its substitute at the substitute's scale.
QFont designFont(const QString& family, double points, bool bold = false, bool underline = false);

// Sets the root's own font (the controls without an entry keep it), then each
// listed control's font, found by object name below the root.
void applyDesignFonts(QWidget& root, const DesignFont& rootFont, std::span<const DesignFont> fonts);

// Logical dots per inch of the root's screen ÷ 96.
double designScale(const QWidget& widget);
// A designed length in twips as pixels on the widget's screen.
int twipsToPixels(const QWidget& widget, double twips);

// Scales the designed geometry of every control (the children of the root
// and of its group boxes) by a factor, and fixes the root's client size.
void scaleDesign(QWidget& root, double factor);
// The same by designScale of the root's screen.
void scaleToScreen(QWidget& root);

// Shows `text` in a one-line box from its start: cut with "…" where it is
// longer than the box (a long subject shows its beginning, not its end).
void showStartOf(QLineEdit& box, const QString& text);

// Centres a top-level window on its screen's available area.
void centreOnScreen(QWidget& window);

} // namespace brisk
