#include "uikit/folder_chooser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>

#include "shell/settings_values.h"
#include "uikit/path_field.h"

namespace gz {
namespace {

enum Role {
    PathRole = Qt::UserRole,   // the folder an entry stands for
    KindRole,                  // list: ChainEntry, CurrentEntry or SubfolderEntry
    LevelRole,                 // list: indentation level of a chain entry
    NodeRole,                  // tree: the node's id for the worker's answer
    LoadedRole,                // tree: the children are there
    RequestedRole,             // tree: the children are asked for
};
enum EntryKind { ChainEntry, CurrentEntry, SubfolderEntry };

// The dialog's outer size in dialog units and the layout of its controls.
constexpr int kDialogWidth = 284;
constexpr int kDialogHeight = 279;
// The smallest size: this much narrower and lower than the first opening.
constexpr int kShrinkWidth = 100;
constexpr int kShrinkHeight = 300;

// Process-wide: the rectangle of the last closing and the minimum size.
struct RunPlacement {
    bool has = false;
    QRect rect;
    bool minimumSet = false;
    QSize minimum;
};
RunPlacement& runPlacement()
{
    static RunPlacement p;
    return p;
}

std::string local(const QString& s) { return QFile::encodeName(s).toStdString(); }
QString fromLocal(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

// Folder names in the order people expect: letters first ignoring case, then
// case as the tie-break so that the order is total.
bool folderNameLess(const QString& a, const QString& b)
{
    int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

// Chain entries are indented by their level.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem o(option);
        o.rect.setLeft(o.rect.left() + index.data(LevelRole).toInt() * kIndent);
        QStyledItemDelegate::paint(painter, o, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        return {s.width() + index.data(LevelRole).toInt() * kIndent, s.height()};
    }

private:
    static constexpr int kIndent = 10;
};

}  // namespace

FolderChooser::FolderChooser(SettingsBackend& settings, QWidget* parent)
    : QDialog(parent), settings_(settings), title_(QString::fromUtf8(kDefaultTitle))
{
    setObjectName(QStringLiteral("FolderChooser"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMaximizeButtonHint);
    buildControls();
    timer_.setInterval(kTimerMs);
    connect(&timer_, &QTimer::timeout, this, &FolderChooser::timerTick);
}

FolderChooser::~FolderChooser()
{
    stopWorker();
    // Only a dialog that read the options writes them: one never shown
    // would otherwise overwrite the stored choice with the defaults.
    if (settingsRead_) {
        FolderChooserSettings s;
        s.treeMode = treeMode_ ? 1 : 0;
        s.breadCrumb = breadcrumb_ ? 1 : 0;
        writeFolderChooserSettings(settings_, s, (flags_ & kFolderFixedView) == 0);
    }
}

void FolderChooser::forgetPlacement() { runPlacement() = RunPlacement{}; }

void FolderChooser::setTitle(const QString& title)
{
    title_ = title.isEmpty() ? QString::fromUtf8(kDefaultTitle) : title;
}

void FolderChooser::setStartPath(const std::string& path) { current_ = normalizeFolderPath(path, currentDir()); }

std::string FolderChooser::path() const { return withoutTrailingSeparator(current_); }

int FolderChooser::showModal(uint32_t flags)
{
    prepare(flags);
    return exec();
}

void FolderChooser::showModeless(uint32_t flags)
{
    prepare(flags);
    show();
}

// --- construction and layout ---

void FolderChooser::buildControls()
{
    pathLabel_ = new QLabel(QStringLiteral("Verzeichnisname:"), this);
    pathField_ = new PathField(this);
    pathField_->setObjectName(QStringLiteral("pathField"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("folderList"));
    list_->setItemDelegate(new IndentDelegate(list_));
    driveLabel_ = new QLabel(QStringLiteral("Laufwerk:"), this);
    drives_ = new QComboBox(this);
    drives_->setObjectName(QStringLiteral("driveList"));
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("okButton"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Abbrechen"), this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    up_ = new QPushButton(QStringLiteral("Aufwärts"), this);
    up_->setObjectName(QStringLiteral("upButton"));
    breadcrumbCheck_ = new QCheckBox(QStringLiteral("Brotkrumen"), this);
    breadcrumbCheck_->setObjectName(QStringLiteral("breadcrumbCheck"));
    treeCheck_ = new QCheckBox(QStringLiteral("Baum anzeigen"), this);
    treeCheck_->setObjectName(QStringLiteral("treeCheck"));
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("folderTree"));
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);
    tree_->hide();

    const DialogUnits u(font());
    auto dlu = [&u](int left, int top, int width, int height) {
        QRect r = u.rect(left, top, width, height);
        return PixelRect{r.x(), r.y(), r.width(), r.height()};
    };
    auto place = [this](QWidget* w, PixelRect r, unsigned anchors) { placed_.push_back({w, r, anchors}); };
    // The edit fields keep the height their font needs.
    PixelRect field = dlu(5, 15, 210, 12);
    field.height = std::max(field.height, pathField_->edit()->sizeHint().height());
    PixelRect drive = dlu(5, 260, 210, 12);
    drive.height = std::max(drive.height, drives_->sizeHint().height());
    PixelRect treeRect = dlu(5, 30, 210, 0);
    treeRect.height = drive.top + drive.height - treeRect.top;
    place(pathLabel_, dlu(5, 5, 56, 8), kAnchorNone);
    place(pathField_, field, kGrowWidth);
    place(list_, dlu(5, 30, 210, 218), kGrowWidth | kGrowHeight);
    place(driveLabel_, dlu(5, 250, 32, 8), kMoveDown);
    place(drives_, drive, kMoveDown | kGrowWidth);
    place(ok_, dlu(220, 5, 60, 14), kMoveRight);
    place(cancel_, dlu(220, 25, 60, 14), kMoveRight);
    place(up_, dlu(220, 65, 60, 14), kMoveRight);
    place(breadcrumbCheck_, dlu(220, 250, 63, 10), kMoveRight | kMoveDown);
    place(treeCheck_, dlu(220, 262, 63, 10), kMoveRight | kMoveDown);
    place(tree_, treeRect, kGrowWidth | kGrowHeight);
    baseClient_ = u.size(kDialogWidth, kDialogHeight);
    // Texts keep their full width under any font; the dialog widens when a
    // text at the right edge needs it.
    for (Placed& p : placed_) {
        if (qobject_cast<QLabel*>(p.widget) || qobject_cast<QCheckBox*>(p.widget)) {
            p.base.width = std::max(p.base.width, p.widget->sizeHint().width());
            baseClient_.setWidth(std::max(baseClient_.width(), p.base.left + p.base.width + u.x(1)));
        }
    }
    resize(baseClient_);
    layoutControls();

    connect(ok_, &QPushButton::clicked, this, &FolderChooser::acceptTyped);
    connect(cancel_, &QPushButton::clicked, this, &FolderChooser::reject);
    connect(up_, &QPushButton::clicked, this, &FolderChooser::upPressed);
    connect(breadcrumbCheck_, &QCheckBox::toggled, this, &FolderChooser::setBreadcrumb);
    connect(treeCheck_, &QCheckBox::toggled, this, &FolderChooser::setTreeMode);
    connect(list_, &QListWidget::itemDoubleClicked, this, &FolderChooser::listActivated);
    connect(drives_, &QComboBox::activated, this, &FolderChooser::driveChosen);
    connect(pathField_, &PathField::segmentChosen, this, [this](const QString& folder) {
        std::string f = local(folder);
        if (treeMode_)
            selectInTree(f);
        else
            navigate(f);
    });
    connect(tree_, &QTreeWidget::itemExpanded, this, &FolderChooser::treeExpanded);
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item && !quietSelection_)
            treeTicks_ = 0;
    });
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        std::string f = local(item->data(0, PathRole).toString());
        if (f.empty())
            return;
        treeTicks_ = -1;
        current_ = f;
        pathField_->setPath(fromLocal(f));
        acceptPath(f);
    });
}

void FolderChooser::layoutControls()
{
    const int dx = width() - baseClient_.width();
    const int dy = height() - baseClient_.height();
    for (const Placed& p : placed_) {
        PixelRect r = anchoredRect(p.base, p.anchors, dx, dy);
        p.widget->setGeometry(r.left, r.top, r.width, r.height);
    }
}

void FolderChooser::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    layoutControls();
}

// --- opening and closing ---

void FolderChooser::prepare(uint32_t flags)
{
    flags_ = flags & 0xF;
    const bool fixedView = (flags_ & kFolderFixedView) != 0;

    FolderChooserSettings stored = readFolderChooserSettings(settings_);
    settingsRead_ = true;
    breadcrumb_ = stored.breadCrumb != 0;
    treeMode_ = !fixedView && stored.treeMode != 0;
    pathField_->setBreadcrumb(breadcrumb_);
    {
        QSignalBlocker b1(breadcrumbCheck_), b2(treeCheck_);
        breadcrumbCheck_->setChecked(breadcrumb_);
        treeCheck_->setChecked(treeMode_);
    }
    breadcrumbCheck_->show();
    treeCheck_->setVisible(!fixedView);
    tree_->setVisible(treeMode_);
    list_->setVisible(!treeMode_);
    drives_->setVisible(!treeMode_);
    driveLabel_->setVisible(!treeMode_);

    timer_.start();
    applyPlacement();
    setWindowTitle(title_);

    std::string start = current_.empty() ? currentDir() : current_;
    if (flags_ & kFolderMustExist) {
        switch (probeFolderPath(networkResolved(start))) {
        case FolderPathKind::Missing: start = currentDir(); break;
        case FolderPathKind::File: start = parentFolder(start); break;
        case FolderPathKind::Folder: break;
        }
    }
    current_ = start;

    startWorker();
    pathField_->setPath(fromLocal(current_));
    if (treeMode_) {
        selectInTree(current_, false);
        tree_->setFocus();
    } else {
        navigate(current_);
        list_->setFocus();
    }
}

void FolderChooser::applyPlacement()
{
    RunPlacement& run = runPlacement();
    resize(baseClient_);
    if (!run.minimumSet) {
        run.minimumSet = true;
        run.minimum = QSize(std::max(0, baseClient_.width() - kShrinkWidth),
                            std::max(0, baseClient_.height() - kShrinkHeight));
    }
    setMinimumSize(run.minimum);
    if (!run.has)
        return;
    const QRect& r = run.rect;
    QScreen* screen = QGuiApplication::screenAt(r.center());
    if (!screen)
        screen = QGuiApplication::screenAt(r.topLeft());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect m = screen->geometry();
    if (placementPlausible({r.left(), r.top(), r.width(), r.height()}, {m.left(), m.top(), m.width(), m.height()}))
        setGeometry(r);
}

void FolderChooser::done(int result)
{
    timer_.stop();
    stopWorker();
    if (!isMaximized()) {
        runPlacement().has = true;
        runPlacement().rect = geometry();
    }
    QDialog::done(result);
}

void FolderChooser::reject()
{
    if (pathField_->isEditingSegments()) {
        pathField_->endEditing();
        return;
    }
    QDialog::reject();
}

void FolderChooser::startWorker()
{
    if (worker_)
        return;
    worker_ = std::make_unique<FolderWorkerThread>();
    FolderWorker* w = worker_->worker();
    connect(w, &FolderWorker::volumesFound, this, &FolderChooser::volumesFound, Qt::QueuedConnection);
    connect(w, &FolderWorker::folderBatch, this, &FolderChooser::addSubfolders, Qt::QueuedConnection);
    connect(w, &FolderWorker::childrenFound, this, &FolderChooser::childrenFound, Qt::QueuedConnection);
    QMetaObject::invokeMethod(w, [w] { w->findVolumes(); }, Qt::QueuedConnection);
}

void FolderChooser::stopWorker()
{
    if (!worker_)
        return;
    worker_->stop();
    worker_.reset();
}

// --- OK, cancel, up ---

void FolderChooser::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        okPressed((event->modifiers() & Qt::ControlModifier) != 0);
        return;
    case Qt::Key_Escape:
        reject();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void FolderChooser::okPressed(bool control)
{
    QWidget* focus = focusWidget();
    if (focus == pathField_->edit() && control) {
        if (treeMode_)
            selectInTree(normalizeFolderPath(local(pathField_->text()), currentDir()));
        return;
    }
    if (pathField_->isSegment(focus)) {
        ok_->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (focus == list_) {
        if (QListWidgetItem* item = list_->currentItem())
            listActivated(item);
        return;
    }
    if (focus == drives_) {
        drives_->showPopup();
        return;
    }
    acceptTyped();
}

void FolderChooser::acceptTyped()
{
    std::string typed = normalizeFolderPath(local(pathField_->text()), currentDir());
    if (typed.empty())
        typed = currentDir();
    // Case matters in the folder names here, so a differently written name
    // is another folder: it is shown first rather than created at once.
    if (typed != current_ && !treeMode_) {
        navigate(typed);
        return;
    }
    acceptPath(typed);
}

void FolderChooser::acceptPath(std::string folder)
{
    folder = networkResolved(folder);
    if ((flags_ & kFolderCreateMissing) && probeFolderPath(folder) != FolderPathKind::Folder &&
        !createFolderPath(folder)) {
        showError(kCannotCreate);
        return;
    }
    if ((flags_ & kFolderMustExist) && probeFolderPath(folder) != FolderPathKind::Folder) {
        showError(kDoesNotExist);
        return;
    }
    current_ = folder;
    pathField_->setPath(fromLocal(current_));
    done(QDialog::Accepted);
}

void FolderChooser::showError(const char* text)
{
    QMessageBox::critical(this, QStringLiteral("Fehler"), QString::fromUtf8(text));
}

void FolderChooser::upPressed()
{
    std::string parent = parentFolder(current_);
    if (parent.empty())
        return;
    if (treeMode_) {
        current_ = parent;
        pathField_->setPath(fromLocal(current_));
        selectInTree(parent);
        return;
    }
    navigate(parent);
}

void FolderChooser::setTreeMode(bool on)
{
    treeMode_ = on;
    tree_->setVisible(on);
    list_->setVisible(!on);
    drives_->setVisible(!on);
    driveLabel_->setVisible(!on);
    if (on)
        selectInTree(current_, false);
    else
        navigate(current_);
}

void FolderChooser::setBreadcrumb(bool on)
{
    breadcrumb_ = on;
    pathField_->setBreadcrumb(on);
}

// --- folder list view ---

void FolderChooser::navigate(const std::string& folder)
{
    current_ = folder;
    pathField_->setPath(fromLocal(current_));
    if (treeMode_) {
        selectInTree(folder, false);
        return;
    }
    list_->clear();
    const std::vector<std::string> chain = folderChain(current_);
    QStyle* st = style();
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const std::string& f = chain[i];
        const bool last = i + 1 == chain.size();
        QString label;
        QIcon icon;
        if (f == "//") {
            label = QStringLiteral("Netzwerkumgebung");
            icon = st->standardIcon(QStyle::SP_DriveNetIcon);
        } else if (f == "/") {
            label = QStringLiteral("/");
            icon = st->standardIcon(QStyle::SP_DriveHDIcon);
        } else {
            label = fromLocal(f.substr(f.find_last_of('/') + 1));
            icon = st->standardIcon(QStyle::SP_DirOpenIcon);
        }
        auto* item = new QListWidgetItem(icon, label, list_);
        item->setData(PathRole, fromLocal(f));
        item->setData(KindRole, last ? CurrentEntry : ChainEntry);
        item->setData(LevelRole, static_cast<int>(i));
        if (last)
            list_->setCurrentItem(item);
    }
    selectDriveOf(current_);
    if (worker_) {
        ++request_;
        FolderWorker* w = worker_->worker();
        w->setLatestRequest(request_);
        const int id = request_;
        const QString listing = fromLocal(networkResolved(current_));
        QMetaObject::invokeMethod(w, [w, id, listing] { w->listFolder(id, listing); }, Qt::QueuedConnection);
    }
}

void FolderChooser::addSubfolders(int request, const QStringList& names)
{
    if (request != request_ || treeMode_)
        return;
    const int level = static_cast<int>(folderChain(current_).size());
    const QIcon icon = style()->standardIcon(QStyle::SP_DirIcon);
    int first = 0;
    while (first < list_->count() && list_->item(first)->data(KindRole).toInt() != SubfolderEntry)
        ++first;
    for (const QString& name : names) {
        // Binary search among the subfolders already shown.
        int lo = first, hi = list_->count();
        while (lo < hi) {
            int mid = (lo + hi) / 2;
            if (folderNameLess(list_->item(mid)->text(), name))
                lo = mid + 1;
            else
                hi = mid;
        }
        auto* item = new QListWidgetItem(icon, name);
        item->setData(PathRole, fromLocal(childFolder(current_, local(name))));
        item->setData(KindRole, SubfolderEntry);
        item->setData(LevelRole, level);
        list_->insertItem(lo, item);
    }
}

void FolderChooser::listActivated(QListWidgetItem* item)
{
    if (!item)
        return;
    if (item->data(KindRole).toInt() == CurrentEntry) {
        pathField_->setPath(fromLocal(current_));
        acceptPath(current_);
        return;
    }
    navigate(local(item->data(PathRole).toString()));
}

void FolderChooser::driveChosen(int index)
{
    if (index >= 0 && index < volumes_.size())
        navigate(local(volumes_[index].path));
}

void FolderChooser::selectDriveOf(const std::string& folder)
{
    std::vector<std::string> roots;
    for (const FolderVolume& v : volumes_)
        roots.push_back(local(v.path));
    QSignalBlocker block(drives_);
    drives_->setCurrentIndex(containingRoot(folder, roots));
}

// --- volumes and tree view ---

void FolderChooser::volumesFound(const QList<FolderVolume>& volumes)
{
    volumes_ = volumes;
    QStyle* st = style();
    drives_->clear();
    tree_->clear();
    nodes_.clear();
    for (const FolderVolume& v : volumes_) {
        QIcon icon = st->standardIcon(v.path == QDir::homePath() ? QStyle::SP_DirHomeIcon
                                      : !v.share.isEmpty()       ? QStyle::SP_DriveNetIcon
                                                                 : QStyle::SP_DriveHDIcon);
        drives_->addItem(icon, v.label);
        auto* node = new QTreeWidgetItem(tree_, QStringList{v.label});
        node->setIcon(0, icon);
        node->setData(0, PathRole, v.path);
        const quint64 id = nextNode_++;
        node->setData(0, NodeRole, id);
        node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        nodes_.insert(id, node);
    }
    selectDriveOf(current_);
    continueTreeSelection();
}

void FolderChooser::requestChildren(QTreeWidgetItem* item)
{
    if (!worker_ || item->data(0, RequestedRole).toBool())
        return;
    item->setData(0, RequestedRole, true);
    FolderWorker* w = worker_->worker();
    const quint64 id = item->data(0, NodeRole).toULongLong();
    const QString folder = fromLocal(networkResolved(local(item->data(0, PathRole).toString())));
    QMetaObject::invokeMethod(w, [w, id, folder] { w->listChildren(id, folder); }, Qt::QueuedConnection);
}

void FolderChooser::treeExpanded(QTreeWidgetItem* item) { requestChildren(item); }

void FolderChooser::childrenFound(quint64 node, const QStringList& names)
{
    QTreeWidgetItem* parent = nodes_.value(node);
    if (!parent)
        return;
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end(), folderNameLess);
    const QIcon icon = style()->standardIcon(QStyle::SP_DirIcon);
    const std::string parentPath = local(parent->data(0, PathRole).toString());
    for (const QString& name : sorted) {
        auto* child = new QTreeWidgetItem(parent, QStringList{name});
        child->setIcon(0, icon);
        child->setData(0, PathRole, fromLocal(childFolder(parentPath, local(name))));
        const quint64 id = nextNode_++;
        child->setData(0, NodeRole, id);
        child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        nodes_.insert(id, child);
    }
    parent->setData(0, LoadedRole, true);
    if (sorted.isEmpty())
        parent->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    continueTreeSelection();
}

void FolderChooser::selectInTree(const std::string& folder, bool settle)
{
    pendingTreePath_ = folder;
    pendingSettles_ = settle;
    continueTreeSelection();
}

// Walks down from the volume holding the wanted folder, loading each level
// on the worker; stops at the folder or at its nearest existing parent.
void FolderChooser::continueTreeSelection()
{
    if (pendingTreePath_.empty() || volumes_.isEmpty())
        return;
    std::vector<std::string> roots;
    for (const FolderVolume& v : volumes_)
        roots.push_back(local(v.path));
    const std::string target = networkResolved(pendingTreePath_);
    const int r = containingRoot(target, roots);
    if (r < 0 || r >= tree_->topLevelItemCount()) {
        pendingTreePath_.clear();
        return;
    }
    QTreeWidgetItem* item = tree_->topLevelItem(r);
    while (local(item->data(0, PathRole).toString()) != target) {
        if (!item->data(0, LoadedRole).toBool()) {
            requestChildren(item);
            return;   // goes on when the children are there
        }
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < item->childCount() && !next; ++i) {
            QTreeWidgetItem* c = item->child(i);
            if (containingRoot(target, {local(c->data(0, PathRole).toString())}) == 0)
                next = c;
        }
        if (!next)
            break;
        item->setExpanded(true);
        item = next;
    }
    pendingTreePath_.clear();
    quietSelection_ = !pendingSettles_;
    tree_->setCurrentItem(item);
    quietSelection_ = false;
    tree_->scrollToItem(item, QAbstractItemView::PositionAtCenter);
}

void FolderChooser::timerTick()
{
    if (treeTicks_ < 0 || !treeMode_)
        return;
    if (++treeTicks_ < kTreeSettleTicks)
        return;
    treeTicks_ = -1;
    QTreeWidgetItem* item = tree_->currentItem();
    if (!item)
        return;
    std::string f = local(item->data(0, PathRole).toString());
    if (f.empty() || f == current_)
        return;
    current_ = f;
    pathField_->setPath(fromLocal(current_));
}

// --- helpers ---

std::string FolderChooser::currentDir() const
{
    return normalizeFolderPath(local(QDir::currentPath()), "/");
}

std::string FolderChooser::networkResolved(const std::string& path) const
{
    if (!isNetworkPath(path) || (flags_ & kFolderNetworkMode))
        return path;
    std::vector<NetworkMount> mounts;
    for (const FolderVolume& v : volumes_.isEmpty() ? FolderWorker::enumerateVolumes() : volumes_)
        if (!v.share.isEmpty())
            mounts.push_back({local(v.share), local(v.path)});
    std::string resolved = resolveNetworkPath(path, mounts);
    return resolved.empty() ? path : resolved;
}

}  // namespace gz
