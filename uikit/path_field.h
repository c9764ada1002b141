// The folder chooser's path field: the current path as plain editable text,
// or (breadcrumb mode) as a row of clickable folder segments that turns into
// the text field for typing when its free area is clicked. Its context menu
// copies the whole path or the segment under the mouse.
#pragma once

#include <QLineEdit>
#include <QStringList>
#include <QWidget>

#include <vector>

class QHBoxLayout;
class QLabel;
class QStackedLayout;
class QToolButton;

namespace gz {

class PathField : public QWidget {
    Q_OBJECT
public:
    explicit PathField(QWidget* parent = nullptr);

    // Shows `path` (in normalized form) as text and as segments.
    void setPath(const QString& path);
    QString path() const { return path_; }
    // The text the user typed (the path itself while nobody typed).
    QString text() const { return edit_->text(); }
    void setText(const QString& text) { edit_->setText(text); }

    void setBreadcrumb(bool on);
    bool breadcrumb() const { return breadcrumb_; }
    // Breadcrumb mode with the text field open for typing.
    bool isEditingSegments() const { return breadcrumb_ && editing_; }
    void beginEditing();
    // Back to the segments; the typed text is dropped.
    void endEditing();

    QLineEdit* edit() const { return edit_; }
    // The segment buttons of the breadcrumb row, root first.
    QList<QToolButton*> segmentButtons() const;
    // True when `w` is the breadcrumb row or one of its segment buttons.
    bool isSegment(const QWidget* w) const;
    // The segment folder shown at `pos` (widget coordinates), or empty.
    QString segmentAt(const QPoint& pos) const;

signals:
    void segmentChosen(const QString& folder);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void rebuildSegments();
    void fitSegments();
    void showContextMenu(const QPoint& globalPos, const QString& segment, QWidget* from);

    QString path_;
    bool breadcrumb_ = true;
    bool editing_ = false;
    QLineEdit* edit_ = nullptr;
    QWidget* crumbs_ = nullptr;
    QHBoxLayout* crumbLayout_ = nullptr;
    QStackedLayout* stack_ = nullptr;
    std::vector<std::vector<QWidget*>> levels_;   // per folder level: separator, button
    QLabel* elided_ = nullptr;                     // stands for the levels that give way
};

}  // namespace gz
