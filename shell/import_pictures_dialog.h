// "Bilder importieren": choosing many picture files at once, and the one
// small dialog for the whole batch: the question every game gets, the
// number of cover pieces (2..32) and whether a large picture is shrunk to
// screen size. One dialog object lives for the program run, so the last
// batch's question and count come back; the shrink choice is the one the
// new-picture dialog remembers (the view hands it over both ways). OK
// needs a question.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <string>

#include "game/cover_generator.h"
#include "game/picture_import.h"
#include "shell/settings_store.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace gz {

// The multi-select file dialog with the new-picture dialog's filter,
// opening in `folder` (or the most recent folder of the list) and setting
// it to the folder the files were chosen in. The files come sorted by name,
// numbers counted as numbers ("Bild2" before "Bild10"), which is the order
// they become games in; empty when cancelled.
QStringList choosePictureFiles(SettingsBackend& settings, QWidget* parent, QString& folder);

// The files in import order: by name (then extension, then folder), case
// ignored, digit runs as numbers.
void sortPictureFiles(QStringList& files);

// "Ausgewählt: 20 Bilder".
QString chosenFilesText(int count);

class ImportPicturesDialog : public QDialog {
    Q_OBJECT
public:
    explicit ImportPicturesDialog(QWidget* parent);

    // Shows the dialog for a batch of `fileCount` files; true on OK.
    bool showFor(int fileCount);

    // The fields (the question as Windows-1252 bytes).
    std::string question{kImportDefaultQuestion};
    int pieces = kDefaultCoverPieces;
    bool shrinkLarge = false;   // "Großes Bild auf Bildschirmgröße verkleinern"

    // For tests: the controls.
    QLabel* filesLabel() const { return files_; }
    QLineEdit* questionEdit() const { return question_; }
    QSpinBox* piecesBox() const { return pieces_; }
    QCheckBox* shrinkBox() const { return shrink_; }

public slots:
    void accept() override;

private:
    QLabel* files_ = nullptr;
    QLineEdit* question_ = nullptr;
    QSpinBox* pieces_ = nullptr;
    QCheckBox* shrink_ = nullptr;
};

}  // namespace gz
