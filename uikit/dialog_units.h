// Dialog units: the layout unit of the program's dialogs, a quarter of the
// dialog font's average character width horizontally and an eighth of its
// height vertically, so a dialog keeps its proportions under any font.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace gz {

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseWidth, int baseHeight) : baseWidth_(baseWidth), baseHeight_(baseHeight) {}

    int x(int units) const { return scaled(units, baseWidth_, 4); }
    int y(int units) const { return scaled(units, baseHeight_, 8); }
    QSize size(int width, int height) const { return {x(width), y(height)}; }
    QRect rect(int left, int top, int width, int height) const
    {
        return {x(left), y(top), x(width), y(height)};
    }

    int baseWidth() const { return baseWidth_; }
    int baseHeight() const { return baseHeight_; }

private:
    // Rounded to the nearest pixel, halves away from zero.
    static int scaled(int units, int base, int divisor);

    int baseWidth_;
    int baseHeight_;
};

}  // namespace gz
