// FolderChooser: the modal dialog for picking a folder. It browses the
// volumes and folders either as a list (the chain of the current folder,
// then its subfolders, plus a drive list) or as a tree, lets the user type a
// path, creates a missing folder on OK when asked to, remembers its view
// options in the common settings key and its rectangle for the rest of the
// run. All directory listing happens on a worker thread.
//
// Use: construct, setTitle, setStartPath, showModal(flags), path().
#pragma once

#include <QDialog>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <string>

#include "shell/settings_store.h"
#include "uikit/dialog_anchors.h"
#include "uikit/dialog_units.h"
#include "uikit/folder_path.h"
#include "uikit/folder_worker.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace gz {

class PathField;

class FolderChooser : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kDefaultTitle = "Verzeichnis wählen";
    static constexpr const char* kCannotCreate = "Der Pfad kann nicht erzeugt werden !";
    static constexpr const char* kDoesNotExist = "Der Pfad existiert nicht !";
    // Period of the timer that settles a tree selection into the path.
    static constexpr int kTimerMs = 200;
    // The tree selection becomes the path on this tick after the last change.
    static constexpr int kTreeSettleTicks = 3;

    explicit FolderChooser(SettingsBackend& settings, QWidget* parent = nullptr);
    // Writes the view options to the common key.
    ~FolderChooser() override;

    // Empty: the default title.
    void setTitle(const QString& title);
    // Normalized into the current path.
    void setStartPath(const std::string& path);
    // Runs the dialog modally with the option flags (FolderChooserFlag).
    int showModal(uint32_t flags);
    // The same opening, but returns at once with the dialog shown (finished()
    // reports the end).
    void showModeless(uint32_t flags);
    // The current path; after OK without one trailing separator.
    std::string path() const;

    // "Abbrechen", Escape and the close box: while the path segments are
    // being typed over, only that typing ends.
    void reject() override;

    bool treeMode() const { return treeMode_; }
    bool breadcrumbMode() const { return breadcrumb_; }

    // The remembered rectangle of this run (for tests and a new run: reset).
    static void forgetPlacement();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void done(int result) override;

private:
    struct Placed {
        QWidget* widget;
        PixelRect base;
        unsigned anchors;
    };

    void buildControls();
    void layoutControls();
    void prepare(uint32_t flags);
    void applyPlacement();
    void startWorker();
    void stopWorker();

    void okPressed(bool control);
    void acceptTyped();
    void acceptPath(std::string folder);
    void upPressed();
    void setTreeMode(bool on);
    void setBreadcrumb(bool on);

    // List view.
    void navigate(const std::string& folder);
    void listActivated(QListWidgetItem* item);
    void addSubfolders(int request, const QStringList& names);
    void driveChosen(int index);
    void selectDriveOf(const std::string& folder);

    // Tree view.
    void volumesFound(const QList<FolderVolume>& volumes);
    void treeExpanded(QTreeWidgetItem* item);
    void childrenFound(quint64 node, const QStringList& names);
    // settle: the selection becomes the current path after the timer ticks,
    // as a selection by the user does; the opening only shows the path.
    void selectInTree(const std::string& folder, bool settle = true);
    void continueTreeSelection();
    void requestChildren(QTreeWidgetItem* item);
    void timerTick();

    std::string currentDir() const;
    // A network path in its local, mounted form (unchanged in network mode
    // or when no mount carries it).
    std::string networkResolved(const std::string& path) const;
    void showError(const char* text);

    SettingsBackend& settings_;
    QString title_;
    std::string current_;
    uint32_t flags_ = 0;
    bool treeMode_ = false;
    bool breadcrumb_ = true;
    bool settingsRead_ = false;

    QLabel* pathLabel_ = nullptr;
    PathField* pathField_ = nullptr;
    QListWidget* list_ = nullptr;
    QLabel* driveLabel_ = nullptr;
    QComboBox* drives_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* up_ = nullptr;
    QCheckBox* breadcrumbCheck_ = nullptr;
    QCheckBox* treeCheck_ = nullptr;
    QTreeWidget* tree_ = nullptr;

    std::vector<Placed> placed_;
    QSize baseClient_;

    std::unique_ptr<FolderWorkerThread> worker_;
    int request_ = 0;
    QList<FolderVolume> volumes_;
    QTimer timer_;
    int treeTicks_ = -1;   // ticks since the last tree selection change; -1 none pending
    std::string pendingTreePath_;
    bool pendingSettles_ = true;
    bool quietSelection_ = false;
    quint64 nextNode_ = 1;
    QHash<quint64, QTreeWidgetItem*> nodes_;
};

}  // namespace gz
