#include "shell/board_canvas_widget.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

namespace gz {

namespace {

class QtOverlayPainter final : public OverlayPainter {
public:
    explicit QtOverlayPainter(QPainter& p) : p_(p) {}
    void setClip(const BoardRect& a) override { p_.setClipRect(QRect(a.x, a.y, a.w, a.h)); }
    void setColour(uint8_t r, uint8_t g, uint8_t b) override
    {
        colour_ = QColor(r, g, b);
        p_.setPen(colour_);
    }
    void fillRect(int left, int top, int right, int bottom) override
    {
        p_.fillRect(QRect(QPoint(left, top), QPoint(right, bottom)), colour_);
    }
    void moveTo(int x, int y) override { at_ = QPoint(x, y); }
    void lineTo(int x, int y) override
    {
        QPoint to(x, y);
        p_.drawLine(at_, to);
        at_ = to;
    }

private:
    QPainter& p_;
    QColor colour_;
    QPoint at_;
};

uint32_t keyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    uint32_t f = 0;
    if (buttons & Qt::LeftButton)
        f |= kMouseLeftButton;
    if (buttons & Qt::RightButton)
        f |= kMouseRightButton;
    if (buttons & Qt::MiddleButton)
        f |= kMouseMiddleButton;
    if (mods & Qt::ShiftModifier)
        f |= kMouseShift;
    if (mods & Qt::ControlModifier)
        f |= kMouseControl;
    return f;
}

}  // namespace

BoardCanvasWidget::BoardCanvasWidget(BoardCanvas& canvas, QWidget* parent) : QWidget(parent), canvas_(canvas)
{
    setObjectName("BoardCanvas");
    setAttribute(Qt::WA_OpaquePaintEvent);   // the back buffer covers everything
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

void BoardCanvasWidget::updateInvalid()
{
    for (int i = 0; i < canvas_.invalidCount(); ++i) {
        const BoardRect& r = canvas_.invalidRect(i);
        update(QRect(r.x, r.y, r.w, r.h));
    }
    canvas_.clearInvalid();
}

void BoardCanvasWidget::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    {
        auto guard = canvas_.lockBackBuffer();
        RasterImage& bb = canvas_.backBuffer();
        if (!bb.isEmpty() && bb.bitsPerPixel() == 32) {
            // Rows are stored bottom-up: view the memory as an upside-down
            // image and flip it while drawing the exposed part.
            QImage img(bb.bits(), bb.width(), bb.height(), bb.stride(), QImage::Format_RGB32);
            const QRect exposed = event->rect() & QRect(0, 0, bb.width(), bb.height());
            if (!exposed.isEmpty()) {
                QRect source(exposed.x(), bb.height() - exposed.bottom() - 1, exposed.width(), exposed.height());
                p.drawImage(exposed.topLeft(), img.copy(source).mirrored(false, true));
            }
        }
    }
    // Parts outside the back buffer show the canvas background.
    const QRect inside(0, 0, canvas_.backBuffer().width(), canvas_.backBuffer().height());
    QRegion outside = QRegion(event->rect()) - QRegion(inside);
    const uint32_t bg = canvas_.background();
    for (const QRect& r : outside)
        p.fillRect(r, QColor((bg >> 16) & 0xFF, (bg >> 8) & 0xFF, bg & 0xFF));
    canvas_.clearInvalid();
    QtOverlayPainter overlay(p);
    canvas_.paint(overlay);
}

void BoardCanvasWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    emit resized(width(), height());
}

void BoardCanvasWidget::forward(MouseKind kind, QMouseEvent* event)
{
    BoardMouseEvent e;
    e.kind = kind;
    e.keyFlags = keyFlags(event->buttons(), event->modifiers());
    e.x = static_cast<int>(event->position().x());
    e.y = static_cast<int>(event->position().y());
    canvas_.mouse(e);
}

void BoardCanvasWidget::mousePressEvent(QMouseEvent* event)
{
    switch (event->button()) {
    case Qt::LeftButton: forward(MouseKind::LeftDown, event); break;
    case Qt::RightButton: forward(MouseKind::RightDown, event); break;
    case Qt::MiddleButton: forward(MouseKind::MiddleDown, event); break;
    default: break;
    }
    passOnOutsidePress(event);
}

void BoardCanvasWidget::passOnOutsidePress(QMouseEvent* event)
{
    // A press beyond the canvas came here only because a gesture held the
    // mouse. That gesture has ended now: the press goes where it was meant
    // to, so one click opens the mode selector or the menu.
    if (rect().contains(event->position().toPoint()) || mouseGrabber() == this)
        return;
    const QPoint global = event->globalPosition().toPoint();
    QWidget* target = QApplication::widgetAt(global);
    if (!target || target == this)
        return;
    QMouseEvent press(event->type(), target->mapFromGlobal(QPointF(global)), QPointF(global), event->button(),
                      event->buttons(), event->modifiers());
    QCoreApplication::sendEvent(target, &press);
}

void BoardCanvasWidget::mouseReleaseEvent(QMouseEvent* event)
{
    switch (event->button()) {
    case Qt::LeftButton: forward(MouseKind::LeftUp, event); break;
    case Qt::RightButton: forward(MouseKind::RightUp, event); break;
    case Qt::MiddleButton: forward(MouseKind::MiddleUp, event); break;
    default: break;
    }
}

void BoardCanvasWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    switch (event->button()) {
    case Qt::LeftButton: forward(MouseKind::LeftDoubleClick, event); break;
    case Qt::RightButton: forward(MouseKind::RightDoubleClick, event); break;
    case Qt::MiddleButton: forward(MouseKind::MiddleDoubleClick, event); break;
    default: break;
    }
}

void BoardCanvasWidget::mouseMoveEvent(QMouseEvent* event) { forward(MouseKind::Move, event); }

void BoardCanvasWidget::wheelEvent(QWheelEvent* event)
{
    BoardMouseEvent e;
    e.kind = MouseKind::Wheel;
    e.keyFlags = keyFlags(event->buttons(), event->modifiers());
    e.x = static_cast<int>(event->position().x());
    e.y = static_cast<int>(event->position().y());
    e.wheelDelta = event->angleDelta().y();
    canvas_.mouse(e);
}

}  // namespace gz
