#include "shell/menu_icons.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>

#include "game/cp1252.h"
#include "shell/menu_tint.h"
#include "shell/tool_bar.h"

namespace gz {

QImage disabledMenuImage(const QImage& image)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if (qAlpha(line[x]) == 0)
                continue;   // made transparent from 0xC0C0C0 already
            line[x] = 0xFF000000u | disabledMenuPixel(line[x] & 0xFFFFFF);
        }
    }
    return out;
}

QIcon menuIcon(const QImage& strip, int index)
{
    QImage img = toolbarImage(strip, index);
    if (img.isNull())
        return {};
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(img), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(disabledMenuImage(img)), QIcon::Disabled);
    return icon;
}

QString menuItemText(const QString& text)
{
    std::string bytes = cp1252::fromUtf8(text.toStdString());
    if (bytes.size() > static_cast<std::size_t>(kMenuItemTextBytes))
        bytes.resize(kMenuItemTextBytes);
    return QString::fromStdString(cp1252::toUtf8(bytes));
}

bool menuTextRefusesImage(const QString& text)
{
    QString label = text.section(QLatin1Char('\t'), 0, 0);
    return label.endsWith(QChar(0x00A0));
}

namespace {

void convertMenu(QMenu* menu, const QImage& strip)
{
    for (QAction* a : menu->actions()) {
        if (a->menu()) {
            convertMenu(a->menu(), strip);
            continue;
        }
        if (a->isSeparator())
            continue;
        const int id = a->data().toInt();
        if (id >= 57616 && id <= 57631)
            continue;   // recent-file entries keep their own look
        a->setText(menuItemText(a->text()));
        if (menuTextRefusesImage(a->text()))
            continue;
        QIcon icon = menuIcon(strip, toolbarImageIndex(id));
        if (!icon.isNull())
            a->setIcon(icon);
        a->setIconVisibleInMenu(true);
    }
}

}  // namespace

void setupMenuIcons(QMenuBar* bar, const QImage& strip)
{
    if (strip.isNull())
        return;
    for (QAction* top : bar->actions())
        if (top->menu())
            convertMenu(top->menu(), strip);
}

}  // namespace gz
