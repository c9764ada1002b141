#include "shell/control_window.h"

#include <algorithm>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPolygonF>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "game/game_store.h"

namespace gz {

LibraryNextGameLookup::LibraryNextGameLookup(std::function<std::string()> picturePath)
    : picturePath_(std::move(picturePath))
{
}

bool LibraryNextGameLookup::question(int32_t number, std::string& out)
{
    const std::string path = picturePath_();
    // A game exists when its polygon file does, as the store counts them.
    if (!QFileInfo(QString::fromStdString(gamePolygonPath(path, number))).isFile())
        return false;
    QFile file(QString::fromStdString(gameQuestionPath(path, number)));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.read(static_cast<qint64>(kGameFileReadLimit));
    if (data.isEmpty())
        return false;
    auto game = std::make_unique<GameContent>();  // large: not on the stack
    parseQuestionFile(std::string_view(data.constData(), static_cast<size_t>(data.size())), *game);
    out = game->question;
    return true;
}

// The cover in small, as the audience sees it: covered polygons filled,
// gone ones as outlines over the light picture area.
class ControlPicture final : public QWidget {
public:
    explicit ControlPicture(const GameContent& game, QWidget* parent) : QWidget(parent), game_(game)
    {
        setMinimumSize(320, 240);
    }
    void setReveal(int32_t reveal)
    {
        reveal_ = reveal;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(40, 40, 40));
        const int w = game_.picture.width();
        const int h = game_.picture.height();
        if (w <= 0 || h <= 0)
            return;
        const double scale = std::min(width() / double(w), height() / double(h));
        const QRectF area((width() - w * scale) / 2, (height() - h * scale) / 2, w * scale, h * scale);
        p.fillRect(area, reveal_ < 0 ? QColor(0, 0, 0) : QColor(225, 225, 210));
        const int32_t n = game_.polygonCount;
        const int32_t covering = reveal_ < 0 ? n : std::max(0, n - reveal_);
        p.setRenderHint(QPainter::Antialiasing);
        for (int32_t i = 0; i < n; ++i) {
            const CoverPolygon& poly = game_.polygons[i];
            QPolygonF shape;
            for (int32_t k = 0; k < poly.pointCount; ++k)
                shape << QPointF(area.left() + poly.points[k].x * scale, area.top() + poly.points[k].y * scale);
            p.setPen(QPen(QColor(255, 200, 0), 1.5));
            p.setBrush(i < covering ? QBrush(QColor(70, 90, 140)) : Qt::NoBrush);
            p.drawPolygon(shape);
        }
    }

private:
    const GameContent& game_;
    int32_t reveal_ = kRevealHidden;
};

namespace {

const char* const kButtonTexts[kControlCommandCount] = {
    "Starte nächstes Bild",  "Bild aufdecken",          "Erster Spieler +",       "Erster Spieler -",
    "Zweiter Spieler +",     "Zweiter Spieler -",       "Ersten Timer anhalten",  "Zweiten Timer anhalten",
};
const char* const kPlayerNames[kPlayerCount] = {"Erster Spieler", "Zweiter Spieler"};

QLabel* bigLabel(QWidget* parent, int points, bool bold = false)
{
    auto* l = new QLabel(parent);
    QFont f = l->font();
    f.setPointSize(points);
    f.setBold(bold);
    l->setFont(f);
    l->setWordWrap(true);
    return l;
}

QString playerStateText(PlayerState s)
{
    switch (s) {
    case PlayerState::Buzzed: return QStringLiteral("gebuzzert");
    case PlayerState::TimeOver: return QStringLiteral("Zeit abgelaufen");
    case PlayerState::Idle: break;
    }
    return QStringLiteral("bereit");
}

}  // namespace

ControlWindow::ControlWindow(const ShowEngine& engine, ShowClock& clock, NextGameLookup* lookup,
                             std::function<void(int)> dispatch, QWidget* keyTarget, QWidget* parent)
    : QWidget(parent, Qt::Window),
      engine_(engine),
      model_(engine, clock, lookup),
      dispatch_(std::move(dispatch)),
      keyTarget_(keyTarget)
{
    setWindowTitle(QStringLiteral("Moderatorfenster"));
    setObjectName(QStringLiteral("ControlWindow"));
    auto* outer = new QVBoxLayout(this);
    game_ = bigLabel(this, 22, true);
    question_ = bigLabel(this, 24);
    answer_ = bigLabel(this, 24, true);
    hiddenMark_ = bigLabel(this, 16, true);
    hiddenMark_->setText(QStringLiteral("Publikum sieht die Antwort noch nicht"));
    hiddenMark_->setStyleSheet(QStringLiteral("color: white; background: #b00000; padding: 4px;"));
    outer->addWidget(game_);
    outer->addWidget(question_);
    outer->addWidget(answer_);
    outer->addWidget(hiddenMark_);

    auto* middle = new QHBoxLayout;
    picture_ = new ControlPicture(engine.content(), this);
    middle->addWidget(picture_, 1);
    auto* side = new QVBoxLayout;
    polygons_ = bigLabel(this, 18);
    countdown_ = new QProgressBar(this);
    countdown_->setTextVisible(false);
    countdown_->setMinimumHeight(28);
    side->addWidget(polygons_);
    side->addWidget(countdown_);
    for (int i = 0; i < kPlayerCount; ++i) {
        players_[i] = bigLabel(this, 18);
        side->addWidget(players_[i]);
    }
    buzz_ = bigLabel(this, 18);
    next_ = bigLabel(this, 16);
    side->addWidget(buzz_);
    side->addWidget(next_);
    side->addStretch(1);
    middle->addLayout(side, 1);
    outer->addLayout(middle, 1);

    auto* grid = new QGridLayout;
    for (int i = 0; i < kControlCommandCount; ++i) {
        auto* b = new QPushButton(QString::fromUtf8(kButtonTexts[i]), this);
        QFont f = b->font();
        f.setPointSize(16);
        b->setFont(f);
        b->setMinimumHeight(56);
        b->setFocusPolicy(Qt::NoFocus);  // keys stay with the window, for the board's keys
        const int id = controlCommandId(static_cast<ControlCommand>(i));
        connect(b, &QPushButton::clicked, this, [this, id] {
            if (dispatch_)
                dispatch_(id);
            refresh();
        });
        grid->addWidget(b, i / 4, i % 4);
        buttons_[i] = b;
    }
    outer->addLayout(grid);

    timer_.setInterval(static_cast<int>(kShowTimerPeriodMs));
    connect(&timer_, &QTimer::timeout, this, [this] { refresh(); });
    refresh();
}

ControlWindow::~ControlWindow() = default;

uint32_t ControlWindow::refresh()
{
    const uint32_t changed = model_.update();
    if (changed)
        apply(changed);
    return changed;
}

void ControlWindow::apply(uint32_t changed)
{
    const ControlPanelState& s = model_.state();
    if (changed & kFieldGame) {
        game_->setText(s.gameNumber > 0 ? QStringLiteral("Spiel %1").arg(s.gameNumber)
                                        : QStringLiteral("Noch kein Spiel"));
        question_->setText(QString::fromUtf8(s.question.c_str()));
    }
    if (changed & kFieldAnswer) {
        answer_->setText(QString::fromUtf8(s.answer.c_str()));
        hiddenMark_->setVisible(!s.answerShown && !s.answer.empty());
    }
    if (changed & kFieldCover) {
        polygons_->setText(QStringLiteral("Polygone übrig: %1 von %2").arg(s.polygonsLeft).arg(s.polygonCount));
        picture_->setReveal(s.revealCount);
    }
    if (changed & kFieldCountdown) {
        countdown_->setMaximum(static_cast<int>(s.stepLength));
        countdown_->setValue(static_cast<int>(s.msToNextStep));
    }
    if (changed & (kFieldStars | kFieldPlayers)) {
        for (int i = 0; i < kPlayerCount; ++i)
            players_[i]->setText(QStringLiteral("%1: %2 Sterne, %3")
                                     .arg(QString::fromUtf8(kPlayerNames[i]))
                                     .arg(s.stars[i])
                                     .arg(playerStateText(s.players[i])));
    }
    if (changed & kFieldPlayers) {
        buzz_->setText(s.firstBuzzer < 0
                           ? QStringLiteral("Noch kein Buzzer")
                           : QStringLiteral("%1 zuerst, nach %2 s")
                                 .arg(QString::fromUtf8(kPlayerNames[s.firstBuzzer]))
                                 .arg(QString::number(s.buzzAfterMs / 1000.0, 'f', 2)));
    }
    if (changed & kFieldNext) {
        next_->setText(s.next.number > 0 ? QStringLiteral("Nächstes Spiel %1: %2")
                                               .arg(s.next.number)
                                               .arg(QString::fromUtf8(s.next.question.c_str()))
                                         : QStringLiteral("Kein weiteres Spiel"));
    }
    if (changed & kFieldCommands) {
        for (int i = 0; i < kControlCommandCount; ++i)
            buttons_[i]->setEnabled(s.enabled[i]);
    }
}

QString ControlWindow::gameText() const { return game_->text(); }
QString ControlWindow::questionText() const { return question_->text(); }
QString ControlWindow::answerText() const { return answer_->text(); }
bool ControlWindow::answerHiddenMarkVisible() const { return !hiddenMark_->isHidden(); }
QString ControlWindow::polygonsText() const { return polygons_->text(); }
int ControlWindow::countdownValue() const { return countdown_->value(); }
int ControlWindow::countdownMaximum() const { return countdown_->maximum(); }
QString ControlWindow::playerText(int side) const { return players_[side]->text(); }
QString ControlWindow::buzzText() const { return buzz_->text(); }
QString ControlWindow::nextText() const { return next_->text(); }

void ControlWindow::keyPressEvent(QKeyEvent* event)
{
    if (keyTarget_) {
        std::unique_ptr<QKeyEvent> copy(event->clone());
        QCoreApplication::sendEvent(keyTarget_, copy.get());
        event->setAccepted(copy->isAccepted());
        return;
    }
    QWidget::keyPressEvent(event);
}

void ControlWindow::keyReleaseEvent(QKeyEvent* event)
{
    if (keyTarget_) {
        std::unique_ptr<QKeyEvent> copy(event->clone());
        QCoreApplication::sendEvent(keyTarget_, copy.get());
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void ControlWindow::showEvent(QShowEvent* event)
{
    refresh();
    timer_.start();
    QWidget::showEvent(event);
}

void ControlWindow::hideEvent(QHideEvent* event)
{
    timer_.stop();
    QWidget::hideEvent(event);
}

void ControlWindow::closeEvent(QCloseEvent* event)
{
    emit closed();
    QWidget::closeEvent(event);
}

}  // namespace gz
