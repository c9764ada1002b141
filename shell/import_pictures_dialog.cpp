#include "shell/import_pictures_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

#include "game/cp1252.h"
#include "shell/new_picture_dialog.h"
#include "uikit/file_dialog_folder_list.h"

namespace gz {

namespace {

QString fromGame(const std::string& s) { return QString::fromStdString(cp1252::toUtf8(s)); }
std::string toGame(const QString& s) { return cp1252::fromUtf8(s.toStdString()); }

}  // namespace

namespace {

// Natural order without depending on the collator's numeric mode, which
// not every Qt build (nor the C locale) offers: digit runs compare as
// numbers, other runs as text, case ignored.
int compareNames(const QString& a, const QString& b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool digits = a[i].isDigit();
        if (digits != b[j].isDigit())
            return digits ? -1 : 1;   // numbers before letters, as file managers show them
        qsizetype ei = i, ej = j;
        while (ei < a.size() && a[ei].isDigit() == digits)
            ++ei;
        while (ej < b.size() && b[ej].isDigit() == digits)
            ++ej;
        QStringView x = QStringView(a).mid(i, ei - i), y = QStringView(b).mid(j, ej - j);
        int c = 0;
        if (digits) {
            while (x.size() > 1 && x.front() == u'0')
                x = x.mid(1);
            while (y.size() > 1 && y.front() == u'0')
                y = y.mid(1);
            c = x.size() != y.size() ? (x.size() < y.size() ? -1 : 1) : x.compare(y);
        } else {
            c = QString::localeAwareCompare(x.toString().toCaseFolded(), y.toString().toCaseFolded());
        }
        if (c != 0)
            return c;
        i = ei;
        j = ej;
    }
    return (a.size() - i > 0) - (b.size() - j > 0);
}

}  // namespace

void sortPictureFiles(QStringList& files)
{
    std::stable_sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        const QFileInfo x(a), y(b);
        int c = compareNames(x.completeBaseName(), y.completeBaseName());
        if (c == 0)
            c = compareNames(x.suffix(), y.suffix());
        return c != 0 ? c < 0 : a < b;
    });
}

QStringList choosePictureFiles(SettingsBackend& settings, QWidget* parent, QString& folder)
{
    // The folder list is the new-picture dialog's: pictures come from the
    // same places.
    FolderListFileDialog dialog(settings, parent, QStringLiteral("Bilder auswählen"), folder, pictureFileFilter(),
                                "*.png");
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::ReadOnly);
    if (folder.isEmpty() && dialog.folderList() && dialog.folderList()->count() > 0)
        dialog.setDirectory(dialog.folderList()->itemText(0));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    QStringList files = dialog.selectedFiles();
    folder = dialog.directory().absolutePath();
    // OK remembers the field's folder, and with several files the field
    // holds their names: the folder goes to the list here.
    if (dialog.folderList())
        dialog.folderList()->rememberFolderOf(folder.toStdString(), folder.toStdString());
    sortPictureFiles(files);
    return files;
}

QString chosenFilesText(int count)
{
    return count == 1 ? QStringLiteral("Ausgewählt: 1 Bild") : QStringLiteral("Ausgewählt: %1 Bilder").arg(count);
}

ImportPicturesDialog::ImportPicturesDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("ImportPicturesDialog");
    setWindowTitle(QString::fromUtf8(kImportTitle.data(), static_cast<int>(kImportTitle.size())));
    auto* grid = new QGridLayout(this);
    files_ = new QLabel(this);
    files_->setObjectName("files");
    grid->addWidget(files_, 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Frage für alle Bilder :"), this), 1, 0, 1, 2);
    question_ = new QLineEdit(this);
    question_->setObjectName("question");
    question_->setMinimumWidth(420);
    grid->addWidget(question_, 2, 0, 1, 2);
    auto* answerNote = new QLabel(QStringLiteral("Antwort : der Dateiname ohne Endung, _ wird zum Leerzeichen"), this);
    answerNote->setEnabled(false);
    grid->addWidget(answerNote, 3, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Anzahl der Polygone (%1...%2) :").arg(kMinCoverPieces).arg(kMaxCoverPieces),
                               this),
                    4, 0);
    pieces_ = new QSpinBox(this);
    pieces_->setObjectName("pieces");
    pieces_->setRange(kMinCoverPieces, kMaxCoverPieces);
    grid->addWidget(pieces_, 4, 1);
    shrink_ = new QCheckBox(QString::fromUtf8("Großes Bild auf Bildschirmgröße verkleinern"), this);
    shrink_->setObjectName("shrink");
    grid->addWidget(shrink_, 5, 0, 1, 2);

    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName("ok");
    ok->setDefault(true);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok, &QPushButton::clicked, this, &ImportPicturesDialog::accept);
    row->addWidget(cancel);
    row->addWidget(ok);
    grid->addLayout(row, 6, 0, 1, 2);
}

bool ImportPicturesDialog::showFor(int fileCount)
{
    files_->setText(chosenFilesText(fileCount));
    question_->setText(fromGame(question));
    pieces_->setValue(pieces);
    shrink_->setChecked(shrinkLarge);
    question_->setFocus();
    return exec() == QDialog::Accepted;
}

void ImportPicturesDialog::accept()
{
    const std::string entered = toGame(question_->text().trimmed());
    if (entered.empty()) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("GameZinko"),
                        QStringLiteral("Bitte eine Frage eingeben:\n\nz.B. : 'Was ist auf dem Bild zu sehen?'"),
                        QMessageBox::Ok, this);
        box.exec();
        return;
    }
    question = entered;
    pieces = pieces_->value();
    shrinkLarge = shrink_->isChecked();
    QDialog::accept();
}

}  // namespace gz
