#include "uikit/path_field.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QStackedLayout>
#include <QToolButton>

#include "uikit/folder_path.h"

namespace gz {
namespace {

const char* const kSegmentProperty = "gzSegmentPath";

std::string local(const QString& s) { return QFile::encodeName(s).toStdString(); }
QString fromLocal(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

QString segmentLabel(const PathSegment& s)
{
    if (s.path == "//")
        return QStringLiteral("Netzwerkumgebung");
    return fromLocal(s.label);
}

}  // namespace

PathField::PathField(QWidget* parent) : QWidget(parent)
{
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("pathEdit"));
    edit_->installEventFilter(this);

    // The breadcrumb row looks like a line edit holding buttons.
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("pathSegments"));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setAutoFillBackground(true);
    frame->setBackgroundRole(QPalette::Base);
    frame->setFocusPolicy(Qt::StrongFocus);
    frame->installEventFilter(this);
    crumbLayout_ = new QHBoxLayout(frame);
    crumbLayout_->setContentsMargins(1, 0, 1, 0);
    crumbLayout_->setSpacing(0);
    crumbs_ = frame;

    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);
    stack_->addWidget(crumbs_);
    stack_->addWidget(edit_);
    stack_->setCurrentWidget(crumbs_);
    setFocusProxy(edit_);
}

void PathField::setPath(const QString& path)
{
    path_ = path;
    edit_->setText(path);
    editing_ = false;
    rebuildSegments();
    stack_->setCurrentWidget(breadcrumb_ ? crumbs_ : static_cast<QWidget*>(edit_));
}

void PathField::setBreadcrumb(bool on)
{
    breadcrumb_ = on;
    editing_ = false;
    edit_->setText(path_);
    stack_->setCurrentWidget(on ? crumbs_ : static_cast<QWidget*>(edit_));
    setFocusProxy(on ? nullptr : edit_);
}

void PathField::beginEditing()
{
    if (!breadcrumb_)
        return;
    editing_ = true;
    stack_->setCurrentWidget(edit_);
    edit_->setFocus(Qt::OtherFocusReason);
    edit_->selectAll();
}

void PathField::endEditing()
{
    if (!breadcrumb_)
        return;
    editing_ = false;
    edit_->setText(path_);
    stack_->setCurrentWidget(crumbs_);
}

QList<QToolButton*> PathField::segmentButtons() const
{
    QList<QToolButton*> out;
    for (int i = 0; i < crumbLayout_->count(); ++i)
        if (auto* b = qobject_cast<QToolButton*>(crumbLayout_->itemAt(i)->widget()))
            out.push_back(b);
    return out;
}

bool PathField::isSegment(const QWidget* w) const
{
    return w && (w == crumbs_ || (w->parentWidget() == crumbs_ && qobject_cast<const QToolButton*>(w)));
}

QString PathField::segmentAt(const QPoint& pos) const
{
    if (breadcrumb_ && !editing_) {
        for (QToolButton* b : segmentButtons())
            if (b->geometry().contains(crumbs_->mapFrom(this, pos)))
                return b->property(kSegmentProperty).toString();
        return {};
    }
    // In the text: the folder level the character under the mouse belongs to.
    int at = edit_->cursorPositionAt(edit_->mapFrom(this, pos));
    QString text = edit_->text();
    if (text.isEmpty())
        return {};
    const bool network = text.startsWith(QStringLiteral("//"));
    const int rootLength = network ? 2 : text.startsWith('/') ? 1 : 0;
    if (at < rootLength)
        return text.left(rootLength);
    int end = text.indexOf('/', std::max(at, rootLength));
    if (end < 0)
        end = static_cast<int>(text.size());
    std::string norm = normalizeFolderPath(local(text.left(end)), local(QDir::currentPath()));
    return fromLocal(norm);
}

void PathField::rebuildSegments()
{
    while (QLayoutItem* item = crumbLayout_->takeAt(0)) {
        if (QWidget* w = item->widget()) {
            // A segment may be the button whose click got us here.
            w->hide();
            w->deleteLater();
        }
        delete item;
    }
    levels_.clear();
    elided_ = nullptr;
    const std::vector<PathSegment> segments = pathSegments(local(path_));
    for (std::size_t i = 0; i < segments.size(); ++i) {
        std::vector<QWidget*> level;
        if (i > 0 && segments[i - 1].path != "/") {
            auto* sep = new QLabel(QStringLiteral("/"), crumbs_);
            sep->setEnabled(false);
            crumbLayout_->addWidget(sep);
            level.push_back(sep);
        }
        auto* b = new QToolButton(crumbs_);
        b->setObjectName(QStringLiteral("segment%1").arg(i));
        b->setText(segmentLabel(segments[i]));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::TabFocus);
        b->setProperty(kSegmentProperty, fromLocal(segments[i].path));
        b->installEventFilter(this);
        QString folder = fromLocal(segments[i].path);
        connect(b, &QToolButton::clicked, this, [this, folder] {
            // The level already shown is no navigation.
            if (folder != path_)
                emit segmentChosen(folder);
        });
        crumbLayout_->addWidget(b);
        level.push_back(b);
        levels_.push_back(level);
        if (i == 0) {
            elided_ = new QLabel(QStringLiteral("\u2026"), crumbs_);
            elided_->setEnabled(false);
            elided_->hide();
            crumbLayout_->addWidget(elided_);
        }
    }
    crumbLayout_->addStretch(1);
    fitSegments();
}

// A long path keeps its root and its last folders in view: the levels
// right after the root give way first, marked by an ellipsis.
void PathField::fitSegments()
{
    if (levels_.empty())
        return;
    auto widthOf = [](const std::vector<QWidget*>& level) {
        int w = 0;
        for (QWidget* x : level)
            w += x->sizeHint().width();
        return w;
    };
    const int available = crumbs_->contentsRect().width() - 4;
    int total = 0;
    for (const auto& level : levels_) {
        total += widthOf(level);
        for (QWidget* x : level)
            x->setVisible(true);
    }
    bool hidden = false;
    for (std::size_t i = 1; i + 1 < levels_.size() && total > available; ++i) {
        if (!hidden && elided_)
            total += elided_->sizeHint().width();
        hidden = true;
        total -= widthOf(levels_[i]);
        for (QWidget* x : levels_[i])
            x->setVisible(false);
    }
    if (elided_)
        elided_->setVisible(hidden);
}

void PathField::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitSegments();
}

bool PathField::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ContextMenu) {
        auto* e = static_cast<QContextMenuEvent*>(event);
        auto* w = static_cast<QWidget*>(watched);
        showContextMenu(e->globalPos(), segmentAt(mapFromGlobal(e->globalPos())), w);
        return true;
    }
    // Typing on the segments opens the row for typing and keeps the key.
    if (event->type() == QEvent::KeyPress && isSegment(qobject_cast<QWidget*>(watched))) {
        auto* k = static_cast<QKeyEvent*>(event);
        const QString typed = k->text();
        if (!typed.isEmpty() && typed[0].isPrint() && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            beginEditing();
            edit_->setText(typed);
            return true;
        }
    }
    // A click on the free part of the breadcrumb row opens it for typing.
    if (watched == crumbs_ && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        beginEditing();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PathField::showContextMenu(const QPoint& globalPos, const QString& segment, QWidget* from)
{
    QMenu* menu = from == edit_ ? edit_->createStandardContextMenu() : new QMenu(this);
    if (from == edit_)
        menu->addSeparator();
    QString whole = isEditingSegments() || !breadcrumb_ ? edit_->text() : path_;
    menu->addAction(QStringLiteral("&Pfad kopieren"), this,
                    [whole] { QApplication::clipboard()->setText(whole); });
    QAction* part = menu->addAction(QStringLiteral("&Abschnitt kopieren"), this, [segment] {
        QApplication::clipboard()->setText(segment);
    });
    part->setEnabled(!segment.isEmpty());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

}  // namespace gz
