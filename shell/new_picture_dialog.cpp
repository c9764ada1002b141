#include "shell/new_picture_dialog.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

#include "game/cp1252.h"
#include "imaging/image_files.h"
#include "imaging/raster_image.h"
#include "shell/settings_values.h"
#include "uikit/file_dialog_folder_list.h"
#include "uikit/recent_name_list.h"

namespace gz {

namespace {

constexpr const char* kNameList = "NameList";
constexpr const char* kAppKeyName = "#";

QString fromGame(const std::string& s) { return QString::fromStdString(cp1252::toUtf8(s)); }
std::string toGame(const QString& s) { return cp1252::fromUtf8(s.toStdString()); }

QPixmap browseBitmap()
{
    RasterImage bmp;
    if (!bmp.loadBitmapResource("139"))
        return {};
    QImage img(bmp.width(), bmp.height(), QImage::Format_ARGB32);
    for (int y = 0; y < bmp.height(); ++y)
        for (int x = 0; x < bmp.width(); ++x) {
            uint32_t c = bmp.colourAt(x, y) & 0xFFFFFF;
            img.setPixel(x, y, c == 0xC0C0C0 ? 0 : (0xFF000000u | c));
        }
    return QPixmap::fromImage(img);
}

}  // namespace

int32_t newPictureNumber(const std::string& text)
{
    const char* s = text.c_str();
    while (*s == ' ' || *s == '\t')
        ++s;
    char* end = nullptr;
    long long v = std::strtoll(s, &end, 10);
    if (end == s)
        v = 0;
    if (v <= 0)
        return 1;
    if (v >= 1000)
        return 1000;
    return static_cast<int32_t>(v);
}

NewPictureDialog::NewPictureDialog(SettingsBackend& settings, QWidget* parent)
    : QDialog(parent), settings_(settings)
{
    setObjectName("NewPictureDialog");
    setWindowTitle(QStringLiteral("Neues Bild erstellen"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Pfad der Bilddatei :"), this), 0, 0, 1, 2);
    path_ = new RecentNameList(settings_, this);
    path_->setObjectName("path");
    // The list shows the files alphabetically; it is stored most recent first.
    path_->setSortedDisplay(true);
    path_->setMinimumWidth(460);
    grid->addWidget(path_, 1, 0);
    auto* browse = new QPushButton(this);
    browse->setObjectName("browse");
    // Enter in the dialog means OK, also after the browse button had focus.
    browse->setAutoDefault(false);
    QPixmap pm = browseBitmap();
    if (pm.isNull())
        browse->setText(QStringLiteral("..."));
    else
        browse->setIcon(QIcon(pm));
    connect(browse, &QPushButton::clicked, this, &NewPictureDialog::browse);
    grid->addWidget(browse, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Frage :"), this), 2, 0, 1, 2);
    question_ = new QLineEdit(this);
    question_->setObjectName("question");
    grid->addWidget(question_, 3, 0);
    grid->addWidget(new QLabel(QStringLiteral("Antwort :"), this), 4, 0, 1, 2);
    answer_ = new QLineEdit(this);
    answer_->setObjectName("answer");
    grid->addWidget(answer_, 5, 0);
    shrink_ = new QCheckBox(QString::fromUtf8("Großes Bild auf Bildschirmgröße verkleinern"), this);
    shrink_->setObjectName("shrink");
    grid->addWidget(shrink_, 6, 0, 1, 2);

    auto* bottom = new QHBoxLayout;
    auto* group = new QGroupBox(QStringLiteral("Modus"), this);
    auto* gl = new QVBoxLayout(group);
    const char* modeTexts[3] = {"Nächster freier Platz", "Einfügen", "Überschreiben"};
    for (int i = 0; i < 3; ++i) {
        modes_[i] = new QRadioButton(QString::fromUtf8(modeTexts[i]), group);
        gl->addWidget(modes_[i]);
    }
    bottom->addWidget(group);
    auto* numberCol = new QVBoxLayout;
    numberCol->addWidget(new QLabel(QStringLiteral("Bildnummer :"), this));
    number_ = new QLineEdit(this);
    number_->setObjectName("number");
    number_->setMaximumWidth(110);
    numberCol->addWidget(number_);
    numberCol->addStretch();
    bottom->addLayout(numberCol);
    bottom->addStretch();
    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    auto* row = new QHBoxLayout;
    auto* cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok, &QPushButton::clicked, this, &NewPictureDialog::accept);
    row->addWidget(cancel);
    row->addWidget(ok);
    buttons->addLayout(row);
    bottom->addLayout(buttons);
    grid->addLayout(bottom, 7, 0, 1, 2);
}

bool NewPictureDialog::showFor(int32_t n)
{
    number = n;
    numberText_ = std::to_string(n);
    // Without a stored list the field keeps its previous value.
    path_->load(kNameList, kAppKeyName, pictureFile);
    fieldsToControls();
    return exec() == QDialog::Accepted;
}

void NewPictureDialog::controlsToFields()
{
    pictureFile = path_->currentText().toStdString();
    question = toGame(question_->text());
    answer = toGame(answer_->text());
    for (int i = 0; i < 3; ++i)
        if (modes_[i]->isChecked())
            mode = i;
    numberText_ = number_->text().toStdString();
    shrinkLarge = shrink_->isChecked();
}

void NewPictureDialog::fieldsToControls()
{
    path_->setEditText(QString::fromStdString(pictureFile));
    question_->setText(fromGame(question));
    answer_->setText(fromGame(answer));
    modes_[std::clamp(mode, 0, 2)]->setChecked(true);
    number_->setText(QString::fromStdString(numberText_));
    shrink_->setChecked(shrinkLarge);
}

void NewPictureDialog::message(const char* text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("GameZinko"), QString::fromUtf8(text), QMessageBox::Ok,
                    this);
    box.exec();
}

QString pictureFileFilter()
{
    // Any picture the program reads can become a game; the filter's text
    // names exactly the files it shows.
    QStringList patterns;
    for (const std::string& p : readableImagePatterns())
        patterns << QString::fromStdString(p);
    return QStringLiteral("Bilder (%1);;Alle Dateien (*)").arg(patterns.join(QLatin1Char(' ')));
}

void NewPictureDialog::browse()
{
    controlsToFields();
    FolderListFileDialog dialog(settings_, this, QStringLiteral("Bilddatei auswählen"),
                                QString::fromStdString(pictureFile), pictureFileFilter(), "*.png");
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        pictureFile = dialog.selectedFiles().front().toStdString();
        fieldsToControls();
    }
}

void NewPictureDialog::accept()
{
    controlsToFields();
    if (!QFileInfo(QString::fromStdString(pictureFile)).isFile()) {
        message("Bitte ein Bild auswählen !");
        return;
    }
    if (question.empty()) {
        message("Bitte eine Frage eingen:\n\nz.B. : 'Was ist hier zu sehen ?'");
        return;
    }
    if (answer.empty()) {
        message("Bitte eine Antwort eingen !");
        return;
    }
    number = newPictureNumber(numberText_);
    // The used file moves to the front of the recent list.
    path_->save(kNameList, kAppKeyName);
    QDialog::accept();
}

}  // namespace gz
