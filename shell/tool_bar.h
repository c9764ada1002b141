// CToolBarNew: the frame's toolbar with 15 buttons of 16x15 images and the
// mode selector (a drop-down in place of button 9, at least 85 pixels and
// as wide as its longest entry needs; its list opens 200 pixels high and
// scrolls). Picking selector entry i issues command 16000 + i. The game
// master's window has its own button after them.
#pragma once

#include <QImage>
#include <QToolBar>

#include <array>
#include <functional>
#include <map>

class QComboBox;
class QAction;

namespace gz {

// Button commands left to right; 0 is a separator, 16000 the selector.
// Undo and redo (33060, 33061) follow the draw tools.
inline constexpr std::array<int, 21> kToolbarLayout = {
    57600, 57603, 0, 32802, 32771, 0, 33049, 33050, 32809, 32813, 0, 16000, 0, 33044, 33045, 33046, 0,
    33060, 33061, 0, 57664};
constexpr int kToolbarImageWidth = 16;
constexpr int kToolbarImageHeight = 15;
constexpr int kToolbarImageCount = 15;
constexpr int kModeSelectorWidth = 85;   // the narrowest it gets
constexpr int kModeSelectorDropHeight = 200;

// Image index of a command in the strip (the order of the non-separator
// buttons), -1 when it has none.
int toolbarImageIndex(int commandId);
// One 16x15 image of the strip, 0xC0C0C0 made transparent.
QImage toolbarImage(const QImage& strip, int index);
// The strip from the embedded bitmap; null when it is missing.
QImage loadToolbarStrip();
// Any embedded bitmap as an image (the strip is bitmap "128"; the game
// master's window button, at the toolbar's end, is "CONTROL").
QImage loadBitmapImage(const char* name);

class CToolBarNew : public QToolBar {
    Q_OBJECT
public:
    // actions: the frame's QAction per command id (the toolbar shows them).
    CToolBarNew(const QImage& strip, const std::map<int, QAction*>& actions, QWidget* parent);

    QComboBox* modeSelector() const { return selector_; }
    void setFlat(bool flat);
    bool isFlat() const { return flat_; }

signals:
    void commandIssued(int id);

private:
    QComboBox* selector_ = nullptr;
    bool flat_ = true;
};

}  // namespace gz
