#include "uikit/file_dialog_folder_list.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QShowEvent>
#include <QStyle>
#include <QSignalBlocker>
#include <QTimer>

#include <atomic>

#include "shell/settings_values.h"
#include "uikit/name_filter.h"
#include "uikit/path_suggester.h"
#include "uikit/recent_lists.h"

namespace gz {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

bool isInside(QObject* object, const QWidget* container)
{
    for (auto* w = qobject_cast<QWidget*>(object); w; w = w->parentWidget())
        if (w == container)
            return true;
    return false;
}

// "*.png" -> "png": the word after the last '*', '.' or '?'.
QString suffixOf(std::string_view defaultExtension)
{
    std::size_t cut = defaultExtension.find_last_of("*.?");
    return qs(std::string(cut == std::string_view::npos ? defaultExtension : defaultExtension.substr(cut + 1)));
}

}  // namespace

// --- FileDialogFolderList ---

FileDialogFolderList::FileDialogFolderList(SettingsBackend& settings, std::string_view defaultExtension,
                                           QWidget* parent)
    : QComboBox(parent),
      settings_(settings),
      keyPath_(folderListKeyPath(settings, kRegistryKeyName, kApplicationName)),
      valueName_(folderListValueName(defaultExtension))
{
    setObjectName("folderList");
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(16);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    suggester_ = new PathSuggester(PathSuggester::kDefaultMaxSuggestions, this);
    connect(suggester_, &PathSuggester::suggestionsReady, this, &FileDialogFolderList::suggestionsArrived,
            Qt::QueuedConnection);
    connect(this, qOverload<int>(&QComboBox::activated), this, &FileDialogFolderList::entryActivated);
    adoptLineEdit(lineEdit());
}

FileDialogFolderList::~FileDialogFolderList()
{
    if (suggestions_ && suggestions_->isVisible())
        qApp->removeEventFilter(this);
    if (watchedWindow_)
        watchedWindow_->removeEventFilter(this);
    // The suggestion list is a window of the dialog, not a child of ours.
    delete suggestions_;
}

void FileDialogFolderList::adoptLineEdit(QLineEdit* edit)
{
    if (!edit)
        return;
    if (edit != lineEdit()) {
        // Taking an edit over sets it to the drop-down's text; the dialog's
        // field keeps its own (the file name to start with).
        const QString text = edit->text();
        setLineEdit(edit);
        edit->setText(text);
    }
    // The suggestion list below the field replaces any completion popup.
    setCompleter(nullptr);
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textEdited, this, &FileDialogFolderList::textTyped, Qt::UniqueConnection);
}

int FileDialogFolderList::loadFolders()
{
    std::vector<std::string> stored;
    if (!readFolderList(settings_, keyPath_, valueName_, stored))
        return 0;
    setFolders(stored);
    return count();
}

std::vector<std::string> FileDialogFolderList::folders() const
{
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(count()));
    for (int i = 0; i < count(); ++i)
        out.push_back(itemText(i).toStdString());
    return out;
}

void FileDialogFolderList::setFolders(const std::vector<std::string>& list)
{
    // The edit is the dialog's file-name field: changing the items must not
    // change what the dialog is about to read from it, nor look like typing
    // to the dialog, which would select what the passing texts name.
    const QString text = currentText();
    const QSignalBlocker quiet(lineEdit());
    clear();
    for (const std::string& f : list)
        if (!f.empty())
            addItem(qs(f));
    setCurrentIndex(-1);
    setEditText(text);
}

std::optional<std::string> FileDialogFolderList::rememberFolder(const std::string& baseFolder)
{
    return rememberFolderOf(currentText().toStdString(), baseFolder);
}

std::optional<std::string> FileDialogFolderList::rememberFolderOf(const std::string& fieldText,
                                                                  const std::string& baseFolder)
{
    std::optional<std::string> folder = folderListEntry(fieldText, baseFolder);
    if (!folder)
        return std::nullopt;
    std::vector<std::string> list = folders();
    moveFolderToFront(list, *folder);
    setFolders(list);
    writeFolderList(settings_, keyPath_, valueName_, list);
    return folder;
}

void FileDialogFolderList::showPopup()
{
    hideSuggestions();
    popupShown_ = true;
    QComboBox::showPopup();
}

void FileDialogFolderList::hidePopup()
{
    QComboBox::hidePopup();
    // activated() of a chosen entry follows the close; it still has to see
    // that the entry came from the open list.
    QTimer::singleShot(0, this, [this] { popupShown_ = false; });
}

void FileDialogFolderList::entryActivated(int index)
{
    if (!popupShown_ || index < 0)
        return;
    popupShown_ = false;
    QString folder = itemText(index);
    if (QFileInfo(folder).isDir())
        emit folderChosen(folder);
}

std::string FileDialogFolderList::absoluteTyped(const QString& text, std::size_t* baseLength) const
{
    std::string typed = text.toStdString();
    *baseLength = 0;
    if (typed.empty() || typed.front() == '/' || !baseFolder_)
        return typed;
    std::string base = baseFolder_();
    if (base.empty())
        return typed;
    if (base.back() != '/')
        base += '/';
    *baseLength = base.size();
    return base + typed;
}

void FileDialogFolderList::setNameFilter(const QString& filterEntry)
{
    suggester_->setNamePatterns(namePatternsOf(filterEntry.toStdString()));
    if (suggestionsVisible())
        textTyped(currentText());   // the open list follows the new filter
}

void FileDialogFolderList::textTyped(const QString& text)
{
    if (text.isEmpty()) {
        suggester_->cancel();
        requested_.clear();
        hideSuggestions();
        return;
    }
    requested_ = absoluteTyped(text, &requestedBase_);
    suggester_->request(requested_);
}

void FileDialogFolderList::suggestionsArrived(const QString& typed, const QStringList& paths)
{
    if (typed.toStdString() != requested_ || currentText().isEmpty())
        return;
    if (paths.isEmpty()) {
        hideSuggestions();
        return;
    }
    QWidget* win = window();
    if (!suggestions_ || suggestions_->parentWidget() != win) {
        delete suggestions_;
        // A window of its own above the dialog, so it may reach past the
        // dialog's edge; it never takes the focus from the field.
        suggestions_ = new QListWidget(win);
        suggestions_->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
        suggestions_->setAttribute(Qt::WA_ShowWithoutActivating);
        suggestions_->setFocusPolicy(Qt::NoFocus);
        suggestions_->setObjectName("suggestions");
        connect(suggestions_, &QListWidget::itemClicked, this, &FileDialogFolderList::chooseSuggestion);
    }
    if (watchedWindow_ != win) {
        if (watchedWindow_)
            watchedWindow_->removeEventFilter(this);
        watchedWindow_ = win;
        if (win != this)
            win->installEventFilter(this);
    }
    const QString base = QString::fromStdString(requested_.substr(0, requestedBase_));
    suggestions_->clear();
    for (const QString& p : paths)
        suggestions_->addItem(p.mid(base.size()));
    suggestions_->setCurrentRow(-1);
    const QPoint below = mapToGlobal(QPoint(0, height()));
    suggestions_->setGeometry(below.x(), below.y(), std::max(1, width() - kSuggestionNarrower), kSuggestionHeight);
    if (!suggestions_->isVisible()) {
        suggestions_->show();
        qApp->installEventFilter(this);
    }
    suggestions_->raise();
}

bool FileDialogFolderList::suggestionsVisible() const { return suggestions_ && suggestions_->isVisible(); }

void FileDialogFolderList::hideSuggestions()
{
    if (!suggestionsVisible())
        return;
    qApp->removeEventFilter(this);
    suggestions_->hide();
}

void FileDialogFolderList::chooseSuggestion(QListWidgetItem* item)
{
    if (!item)
        return;
    const QString text = item->text();
    hideSuggestions();
    suggester_->cancel();
    requested_.clear();
    setEditText(text);
    if (lineEdit())
        lineEdit()->end(false);
}

bool FileDialogFolderList::eventFilter(QObject* watched, QEvent* event)
{
    if (!suggestionsVisible())
        return QComboBox::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (!isInside(watched, suggestions_) && !isInside(watched, this))
            hideSuggestions();
        break;
    case QEvent::Move:
    case QEvent::Resize:
        if (watched == watchedWindow_)
            hideSuggestions();
        break;
    case QEvent::KeyPress: {
        if (watched != lineEdit())
            break;
        // The focus stays in the field; the arrows pick a suggestion.
        auto* key = static_cast<QKeyEvent*>(event);
        const int row = suggestions_->currentRow();
        switch (key->key()) {
        case Qt::Key_Escape:
            hideSuggestions();
            return true;
        case Qt::Key_Down:
            suggestions_->setCurrentRow(std::min(row + 1, suggestions_->count() - 1));
            return true;
        case Qt::Key_Up:
            suggestions_->setCurrentRow(std::max(row - 1, -1));
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (row >= 0) {
                chooseSuggestion(suggestions_->currentItem());
                return true;
            }
            hideSuggestions();   // Enter goes on to the dialog
            break;
        default:
            break;
        }
        break;
    }
    default:
        break;
    }
    return QComboBox::eventFilter(watched, event);
}

// --- FolderListFileDialog ---

namespace {
std::atomic<bool> firstDialogShown{false};
}

FolderListFileDialog::FolderListFileDialog(SettingsBackend& settings, QWidget* parent, const QString& caption,
                                           const QString& initialFile, const QString& filter,
                                           std::string_view defaultExtension)
    : QFileDialog(parent, caption, initialFile, filter)
{
    setObjectName("FolderListFileDialog");
    setOption(QFileDialog::DontUseNativeDialog);
    setSizeGripEnabled(true);
    const QString suffix = suffixOf(defaultExtension);
    if (!suffix.isEmpty())
        setDefaultSuffix(suffix);

    auto* edit = findChild<QLineEdit*>("fileNameEdit");
    if (edit && layout()) {
        folderList_ = new FileDialogFolderList(settings, defaultExtension, this);
        folderList_->setFont(edit->font());
        if (QLayoutItem* old = layout()->replaceWidget(edit, folderList_)) {
            delete old;
            folderList_->adoptLineEdit(edit);
            folderList_->setBaseFolder([this] { return directory().absolutePath().toStdString(); });
            folderList_->loadFolders();
            connect(folderList_, &FileDialogFolderList::folderChosen, this, &FolderListFileDialog::openFolder);
            // What is suggested below the field is what the filter shows.
            folderList_->setNameFilter(selectedNameFilter());
            connect(this, &QFileDialog::filterSelected, folderList_, &FileDialogFolderList::setNameFilter);
        } else {
            delete folderList_;
            folderList_ = nullptr;
        }
    }

    // The dialog's own menu has this one item; the dialog's keyboard actions
    // (which carry no texts) stay out of it.
    copyPath_ = new QAction(QString::fromUtf8(kCopyPathMenuText), this);
    connect(copyPath_, &QAction::triggered, this, &FolderListFileDialog::copyCurrentPath);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu(this);
        menu.addAction(copyPath_);
        menu.exec(mapToGlobal(pos));
    });
}

QSize FolderListFileDialog::firstDialogSize(int iconWidth)
{
    QSize size(600, 450);
    if (iconWidth > 32)
        size = QSize(600 * iconWidth / 32, 450 * iconWidth / 32);
    return size;
}

void FolderListFileDialog::showEvent(QShowEvent* event)
{
    QFileDialog::showEvent(event);
    if (!event->spontaneous() && !firstDialogShown.exchange(true))
        resize(firstDialogSize(style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this)));
    if (folderList_) {
        folderList_->setFocus();
        if (folderList_->lineEdit())
            folderList_->lineEdit()->selectAll();
    }
}

void FolderListFileDialog::accept()
{
    if (folderList_)
        folderList_->rememberFolder(directory().absolutePath().toStdString());
    QFileDialog::accept();
}

void FolderListFileDialog::openFolder(const QString& folder)
{
    // What OK does with a folder in the field, without the dialog's own
    // OK handling, which would also weigh the files selected in its list.
    folderList_->rememberFolderOf(folder.toStdString(), directory().absolutePath().toStdString());
    setDirectory(folder);
    folderList_->lineEdit()->clear();
}

void FolderListFileDialog::copyCurrentPath()
{
    QApplication::clipboard()->setText(QDir::toNativeSeparators(directory().absolutePath()));
}

}  // namespace gz
