// The board window: a child widget that shows the BoardCanvas back buffer
// (32 bits, bottom-up rows) and hands its mouse messages to the canvas.
// Paint events copy only the exposed part; the overlay (draw-mode outlines)
// is drawn on top through the canvas's paint callback.
#pragma once

#include <QWidget>

#include "board/board_canvas.h"

namespace gz {

class BoardCanvasWidget : public QWidget {
    Q_OBJECT
public:
    BoardCanvasWidget(BoardCanvas& canvas, QWidget* parent);

    // Repaints what the renderer invalidated since the last call.
    void updateInvalid();

signals:
    void resized(int width, int height);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void forward(MouseKind kind, QMouseEvent* event);
    void passOnOutsidePress(QMouseEvent* event);
    BoardCanvas& canvas_;
};

}  // namespace gz
