#include "shell/tool_bar.h"

#include <QAction>
#include <QAbstractItemView>
#include <QComboBox>
#include <QProxyStyle>
#include <QToolButton>

#include <algorithm>

#include "imaging/raster_image.h"
#include "show/command_ids.h"

namespace gz {

namespace {

// Some styles open a combo box as a menu of all its entries around the
// current one; the selector's 23 entries then cover half the screen. A
// plain list honours the visible-item count and scrolls.
class ListPopupStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == QStyle::SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

int toolbarImageIndex(int commandId)
{
    int index = 0;
    for (int id : kToolbarLayout) {
        if (id == 0)
            continue;
        if (id == commandId)
            return index;
        ++index;
    }
    return -1;
}

QImage toolbarImage(const QImage& strip, int index)
{
    if (strip.isNull() || index < 0 || index >= kToolbarImageCount)
        return {};
    QImage img = strip.copy(index * kToolbarImageWidth, 0, kToolbarImageWidth, kToolbarImageHeight)
                     .convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0xFFFFFF) == 0xC0C0C0)
                line[x] = 0;
    }
    return img;
}

QImage loadToolbarStrip() { return loadBitmapImage("128"); }

QImage loadBitmapImage(const char* name)
{
    RasterImage bmp;
    if (!bmp.loadBitmapResource(name))
        return {};
    QImage out(bmp.width(), bmp.height(), QImage::Format_RGB32);
    for (int y = 0; y < bmp.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < bmp.width(); ++x)
            line[x] = 0xFF000000u | (bmp.colourAt(x, y) & 0xFFFFFF);
    }
    return out;
}

CToolBarNew::CToolBarNew(const QImage& strip, const std::map<int, QAction*>& actions, QWidget* parent)
    : QToolBar(parent)
{
    setObjectName("CToolBarNew");
    setIconSize(QSize(kToolbarImageWidth, kToolbarImageHeight));
    setContentsMargins(2, 2, 2, 2);
    setMovable(true);
    setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : kToolbarLayout) {
        if (id == 0) {
            addSeparator();
            continue;
        }
        if (id == cmd::kModeFirst) {
            selector_ = new QComboBox(this);
            selector_->setObjectName("modeSelector");
            selector_->setEditable(false);
            auto* style = new ListPopupStyle;
            style->setParent(selector_);
            selector_->setStyle(style);
            for (int i = 0; i < cmd::kModeSelectorEntries; ++i)
                selector_->addItem(QString::fromUtf8(cmd::modeSelectorText(i)));
            selector_->setCurrentIndex(0);
            // Every entry readable: "Polygon 20" must not look like "Polygon 2".
            selector_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
            selector_->setFixedWidth(std::max(kModeSelectorWidth, selector_->sizeHint().width()));
            const int row = std::max(1, selector_->view()->sizeHintForRow(0));
            const int frame = 2 * selector_->view()->frameWidth() + 2;
            selector_->setMaxVisibleItems(std::max(1, (kModeSelectorDropHeight - frame) / row));
            // activated: only the user's picks, never programmatic changes.
            connect(selector_, &QComboBox::activated, this,
                    [this](int index) { emit commandIssued(cmd::kModeFirst + index); });
            addWidget(selector_);
            continue;
        }
        auto it = actions.find(id);
        if (it == actions.end())
            continue;
        QAction* a = it->second;
        QImage img = toolbarImage(strip, toolbarImageIndex(id));
        if (!img.isNull() && a->icon().isNull())
            a->setIcon(QIcon(QPixmap::fromImage(img)));
        addAction(a);
    }
    // Beside the strip's buttons: the game master's window.
    auto it = actions.find(cmd::kControlWindow);
    if (it != actions.end()) {
        addSeparator();
        QImage img = loadBitmapImage("CONTROL");
        if (!img.isNull() && it->second->icon().isNull())
            it->second->setIcon(QIcon(QPixmap::fromImage(toolbarImage(img, 0))));
        addAction(it->second);
    }
    setFlat(true);
}

void CToolBarNew::setFlat(bool flat)
{
    flat_ = flat;
    for (QToolButton* b : findChildren<QToolButton*>())
        b->setAutoRaise(flat);
}

}  // namespace gz
