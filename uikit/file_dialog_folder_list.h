// The folder list of the file dialogs: an editable drop-down of recently
// used folders that takes the place of a file dialog's file-name field.
// It is kept per default extension in the settings value OfnList<Ext>
// ("*.png" -> OfnListPng) of the application key, most recent first,
// folders with a trailing "/".
//
// FileDialogFolderList is the drop-down with its suggestion list: typing
// opens, below the field, the existing paths that begin with the typed
// text, found by a PathSuggester thread. Up and Down pick one while the
// focus stays in the field; Enter or a click puts it into the field; a
// click elsewhere, moving the dialog, Escape or an empty text hides the list. Choosing a folder from the drop-down emits folderChosen.
//
// FolderListFileDialog is the program's open/save file dialog with that
// drop-down installed. On OK the folder the field stands for moves to the
// front of the list and the list is stored; the context menu copies the
// shown folder ("Kopiere aktuellen Pfad"); the first such dialog of a run
// opens at 600 x 450 pixels.
#pragma once

#include <QComboBox>
#include <QFileDialog>
#include <QListWidget>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/settings_store.h"

class QAction;
class QListWidgetItem;

namespace gz {

class PathSuggester;

inline constexpr const char* kCopyPathMenuText = "Kopiere aktuellen Pfad";

class FileDialogFolderList : public QComboBox {
    Q_OBJECT
public:
    static constexpr int kSuggestionHeight = 120;     // pixels
    static constexpr int kSuggestionNarrower = 20;    // pixels less than the field

    FileDialogFolderList(SettingsBackend& settings, std::string_view defaultExtension, QWidget* parent = nullptr);
    ~FileDialogFolderList() override;

    const std::string& keyPath() const { return keyPath_; }
    const std::string& valueName() const { return valueName_; }

    // Fills the drop-down from the stored list (at most 32 entries) and
    // returns how many; a missing value leaves it empty.
    int loadFolders();
    // The OK step: the folder the field text stands for (relative texts
    // count from baseFolder) goes to the front of the list, and the first
    // 16 entries that fit are stored. Nothing happens when the text stands
    // for no existing folder. The field text is kept.
    std::optional<std::string> rememberFolder(const std::string& baseFolder);
    // The same for a given text instead of the field's.
    std::optional<std::string> rememberFolderOf(const std::string& fieldText, const std::string& baseFolder);
    std::vector<std::string> folders() const;

    // Takes over a dialog's own file-name field as the drop-down's edit, so
    // the dialog keeps reading the entered name from it.
    void adoptLineEdit(QLineEdit* edit);
    // Where relative typed texts are looked up (the dialog's folder).
    void setBaseFolder(std::function<std::string()> baseFolder) { baseFolder_ = std::move(baseFolder); }
    // The dialog's current name filter ("Bilder (*.png *.jpg)"): the
    // suggestions list only the files it shows, and every folder.
    void setNameFilter(const QString& filterEntry);

    QListWidget* suggestionList() const { return suggestions_; }
    bool suggestionsVisible() const;
    // The texts offered for `typed` arrive asynchronously; tests wait on this.
    PathSuggester& suggester() const { return *suggester_; }

    void showPopup() override;
    void hidePopup() override;

signals:
    // A drop-down entry naming an existing folder was chosen.
    void folderChosen(const QString& folder);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void textTyped(const QString& text);
    void suggestionsArrived(const QString& typed, const QStringList& paths);
    void hideSuggestions();
    void chooseSuggestion(QListWidgetItem* item);
    void entryActivated(int index);
    void setFolders(const std::vector<std::string>& folders);
    std::string absoluteTyped(const QString& text, std::size_t* baseLength) const;

    SettingsBackend& settings_;
    std::string keyPath_;
    std::string valueName_;
    std::function<std::string()> baseFolder_;
    PathSuggester* suggester_ = nullptr;
    QPointer<QListWidget> suggestions_;
    QWidget* watchedWindow_ = nullptr;
    std::string requested_;            // absolute text of the last request
    std::size_t requestedBase_ = 0;    // bytes of the folder put in front of a relative text
    bool popupShown_ = false;
};

class FolderListFileDialog : public QFileDialog {
    Q_OBJECT
public:
    // defaultExtension: "*.png" style; it names the folder list and gives
    // the suffix added to a name typed without one. initialFile may name a
    // file (it is selected) or a folder.
    FolderListFileDialog(SettingsBackend& settings, QWidget* parent, const QString& caption,
                         const QString& initialFile, const QString& filter, std::string_view defaultExtension);

    // Null when this Qt's dialog has no file-name field to replace; the
    // dialog then works without the list.
    FileDialogFolderList* folderList() const { return folderList_; }
    // "Kopiere aktuellen Pfad": the shown folder to the clipboard.
    QAction* copyPathAction() const { return copyPath_; }
    // The size of the first file dialog of a run: 600 x 450, scaled by
    // iconWidth / 32 when the icons are wider than 32 pixels.
    static QSize firstDialogSize(int iconWidth);

public slots:
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void openFolder(const QString& folder);
    void copyCurrentPath();

    FileDialogFolderList* folderList_ = nullptr;
    QAction* copyPath_ = nullptr;
};

}  // namespace gz
