#include "shell/game_zinko_app.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "shell/command_line.h"
#include "shell/frame_view.h"
#include "shell/main_frame.h"
#include "shell/message_box_widget.h"
#include "shell/message_wire.h"
#include "show/command_ids.h"

namespace gz {

namespace {

QDialogButtonBox* okButton(QDialog* dialog)
{
    auto* box = new QDialogButtonBox(dialog);
    QPushButton* ok = box->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    return box;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("AboutDialog");
    setWindowTitle(QString::fromUtf8("Info über GameZinko"));
    auto* layout = new QGridLayout(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().isNull()
                        ? style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32)
                        : QApplication::windowIcon().pixmap(32, 32));
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(new QLabel(QString::fromUtf8(kAboutVersionLine), this), 0, 1);
    layout->addWidget(new QLabel(QString::fromUtf8("Das Bilderrätsel für zwei Spieler und einen Spielleiter"), this),
                      1, 1);
    layout->addWidget(okButton(this), 2, 0, 1, 2);
}

KeyMapDialog::KeyMapDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("KeyMapDialog");
    setWindowTitle(QStringLiteral("Tastaturbelegung"));
    static const char* const rows[][2] = {
        {"F1", ": Sterne ++ links"},        {"F2", ": Sterne ++ rechts"},
        {"F3", ": Sterne -- links"},        {"F4", ": Sterne -- rechts"},
        {"F5", ": Zum nächsten Spiel"},     {"F6", ": Auflösung aufdecken"},
        {"F7", ": Stop links"},             {"F8", ": Stop rechts"},
        {"F9", ": Auflösung aufdecken"},    {"F10", ": Fenster zommen"},
    };
    auto* layout = new QGridLayout(this);
    int r = 0;
    for (const auto& row : rows) {
        layout->addWidget(new QLabel(QString::fromUtf8(row[0]), this), r, 0);
        layout->addWidget(new QLabel(QString::fromUtf8(row[1]), this), r, 1);
        ++r;
    }
    layout->addWidget(new QLabel(QStringLiteral("Kommandozeilenparameter :"), this), r++, 0, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("-z"), this), r, 0);
    layout->addWidget(new QLabel(QStringLiteral(": Programm gezoomt starten"), this), r++, 1);
    layout->addWidget(new QLabel(QStringLiteral("<Pfad>"), this), r, 0);
    layout->addWidget(new QLabel(QStringLiteral(": Pfad vom Spiel das gestartet werden soll"), this), r++, 1);
    layout->addWidget(okButton(this), r, 0, 1, 2);
}

GameZinkoApp::GameZinkoApp(SettingsBackend& settings, ViewFactory makeView)
    : settings_(settings), makeView_(std::move(makeView))
{
}

GameZinkoApp::~GameZinkoApp()
{
    if (started_) {
        writeRecentFiles(settings_, recent_);
        writePreviewPages(settings_, previewPages_);
    }
    // The view goes before the frame, as the window hierarchy ends.
    if (frame_ && view_ && view_->widget())
        view_->widget()->setParent(nullptr);
    view_.reset();
    frame_.reset();
}

bool GameZinkoApp::applicationCommand(int id)
{
    switch (id) {
    case cmd::kAbout: {
        AboutDialog d(frame_.get());
        d.exec();
        return true;
    }
    case cmd::kKeyMap: {
        KeyMapDialog d(frame_.get());
        d.exec();
        return true;
    }
    default:
        return false;
    }
}

void GameZinkoApp::addRecentDocument(const std::string& path)
{
    // The list holds full paths: the document name is taken in the working
    // folder. An entry already there moves to the front; the oldest drops out.
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(path, ec);
    const std::string entry = ec ? path : full.lexically_normal().string();
    auto it = std::find(recent_.begin(), recent_.end(), entry);
    if (it == recent_.end())
        it = recent_.end() - 1;
    std::rotate(recent_.begin(), it, it + 1);
    recent_.front() = entry;
}

bool GameZinkoApp::start(const std::vector<std::string>& args, bool listenForMessages)
{
    recent_ = readRecentFiles(settings_);
    previewPages_ = readPreviewPages(settings_);
    started_ = true;
    frame_ = std::make_unique<CMainFrame>(settings_);
    frame_->restorePlacement();
    view_ = makeView_ ? makeView_(*frame_, settings_) : nullptr;
    if (!view_)
        return false;
    if (!frame_->create(view_.get()))
        return false;
    addRecentDocument(frame_->document().pathName);
    frame_->setApplicationCommands([this](int id) { return applicationCommand(id); });
    if (listenForMessages)
        frame_->listen(QString::fromStdString(wire::serverName()));
    frame_->show();
    frame_->finishPlacement();
    frame_->repaint();
    for (const StartAction& a : parseStartArguments(args)) {
        if (a.kind == StartAction::FullScreen)
            frame_->postCommand(cmd::kFullScreen);
        else
            view_->setPicturePath(a.path);
    }
    return true;
}

void GameZinkoApp::warnWhenRunning(std::string text)
{
    if (!frame_ || text.empty())
        return;
    QTimer::singleShot(0, frame_.get(), [this, text = std::move(text)] {
        makeMessageBox(text, "GameZinko", MessageButtons::Ok, MessageIcon::Warning, frame_.get())->exec();
    });
}

}  // namespace gz
