#include "ui/DesignMetrics.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QScreen>

#include <cmath>
#include <array>

namespace brisk {

namespace {

constexpr double kDesignDpi = 96.0;
constexpr double kTwipsPerPixel = 15.0;

bool isMonospaceDesign(const QString& family)
{
    return family.compare("Courier New", Qt::CaseInsensitive) == 0
        || family.compare("Lucida Console", Qt::CaseInsensitive) == 0;
}

bool installed(const QString& family)
{
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

// Group boxes carry designed controls; other widgets' children are their own.
void scaleChildren(QWidget& container, double factor)
{
    for (QObject* object : container.children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child == nullptr || child->isWindow())
            continue;
        const QRect g = child->geometry();
        child->setGeometry(static_cast<int>(std::lround(g.x() * factor)),
                           static_cast<int>(std::lround(g.y() * factor)),
                           static_cast<int>(std::lround(g.width() * factor)),
                           static_cast<int>(std::lround(g.height() * factor)));
        if (qobject_cast<QGroupBox*>(child) != nullptr)
            scaleChildren(*child, factor);
    }
}

} // namespace

QString installedFamily(const QString& designFamily)
{
    if (installed(designFamily))
        return designFamily;
    // Liberation fonts share the widths of the Windows core fonts, so the
    // designed sizes still hold their captions; DejaVu is wider.
    static constexpr std::array<const char*, 2> kMonospace{"Liberation Mono", "DejaVu Sans Mono"};
    static constexpr std::array<const char*, 2> kSansSerif{"Liberation Sans", "DejaVu Sans"};
    for (const char* candidate : isMonospaceDesign(designFamily) ? kMonospace : kSansSerif)
        if (installed(candidate))
            return candidate;
    return isMonospaceDesign(designFamily) ? QFontDatabase::systemFont(QFontDatabase::FixedFont).family()
                                           : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

double substituteScale(const QString& designFamily)
{
    // MS Sans Serif and Tahoma set the designed captions about a tenth
    // narrower than Liberation Sans or DejaVu Sans at the same size; 10 pixels
    // of the substitute take the room of 11 of the original. Liberation Mono
    // has Courier New's widths.
    if (installed(designFamily) || isMonospaceDesign(designFamily))
        return 1.0;
    return 10.0 / 11.0;
}

QFont designFont(const QString& family, double points, bool bold, bool underline)
{
    QFont font(installedFamily(family));
    font.setPointSizeF(points * substituteScale(family));
    font.setBold(bold);
    font.setUnderline(underline);
    if (isMonospaceDesign(family))
        font.setStyleHint(QFont::TypeWriter);
    return font;
}

void applyDesignFonts(QWidget& root, const DesignFont& rootFont, std::span<const DesignFont> fonts)
{
    root.setFont(designFont(rootFont.family, rootFont.points, rootFont.bold, rootFont.underline));
    for (const DesignFont& entry : fonts) {
        auto* control = root.findChild<QWidget*>(entry.control);
        if (control == nullptr)
            continue;
        const char* family = entry.family != nullptr ? entry.family : rootFont.family;
        control->setFont(designFont(family, entry.points, entry.bold, entry.underline));
    }
}

double designScale(const QWidget& widget)
{
    return widget.logicalDpiX() / kDesignDpi;
}

int twipsToPixels(const QWidget& widget, double twips)
{
    return static_cast<int>(std::lround(twips / kTwipsPerPixel * designScale(widget)));
}

void scaleToScreen(QWidget& root)
{
    scaleDesign(root, designScale(root));
}

void scaleDesign(QWidget& root, double factor)
{
    const QSize designed = root.size();
    if (std::abs(factor - 1.0) > 0.01)
        scaleChildren(root, factor);
    root.setFixedSize(static_cast<int>(std::lround(designed.width() * factor)),
                      static_cast<int>(std::lround(designed.height() * factor)));
}

void showStartOf(QLineEdit& box, const QString& text)
{
    // QLineEdit keeps 2 pixels on either side of its text.
    const int room = box.contentsRect().marginsRemoved(box.textMargins()).width() - 4;
    const QString shown = QFontMetrics(box.font()).elidedText(text, Qt::ElideRight, room);
    if (box.text() == shown)
        return;
    box.setText(shown);
    box.setCursorPosition(0);
}

void centreOnScreen(QWidget& window)
{
    if (QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - window.rect().center());
}

} // namespace brisk
