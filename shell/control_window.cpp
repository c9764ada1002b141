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
#include <QPixmap>
#include <QPolygonF>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "board/board_renderer.h"
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

// The cover in small, as the audience sees it: the picture where polygons
// are gone, the covering ones filled in the board's colours, and every
// polygon's outline on top so the game master sees what comes next.
class ControlPicture final : public QWidget {
public:
    explicit ControlPicture(const GameContent& game, QWidget* parent) : QWidget(parent), game_(game)
    {
        setObjectName(QStringLiteral("controlPicture"));
        setMinimumSize(320, 240);
    }
    void setReveal(int32_t reveal)
    {
        reveal_ = reveal;
        update();
    }
    void setBlackCover(bool black)
    {
        black_ = black;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(40, 40, 40));
        const RasterImage& pic = game_.picture;
        const int w = pic.width();
        const int h = pic.height();
        if (w <= 0 || h <= 0)
            return;
        refreshThumbnail(pic);
        const double scale = std::min(width() / double(w), height() / double(h));
        const QRectF area((width() - w * scale) / 2, (height() - h * scale) / 2, w * scale, h * scale);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        if (reveal_ < 0)
            p.fillRect(area, QColor::fromRgb(black_ ? kBlackCoverBackground : kCoverBackground));
        else
            p.drawPixmap(area, thumbnail_, QRectF(thumbnail_.rect()));
        const int32_t n = std::clamp<int32_t>(game_.polygonCount, 0, kMaxPolygons);
        const int32_t covering = reveal_ < 0 ? n : std::clamp(n - reveal_, 0, n);
        p.setRenderHint(QPainter::Antialiasing);
        for (int32_t i = 0; i < n; ++i) {
            const CoverPolygon& poly = game_.polygons[i];
            QPolygonF shape;
            for (int32_t k = 0; k < std::min<int32_t>(poly.pointCount, kMaxPolygonPoints); ++k)
                shape << QPointF(area.left() + poly.points[k].x * scale, area.top() + poly.points[k].y * scale);
            p.setPen(QPen(QColor(255, 200, 0), 1.5));
            if (i < covering)
                p.setBrush(QColor::fromRgb(black_ ? 0x000000 : coverColour(poly.colourIndex)));
            else
                p.setBrush(Qt::NoBrush);
            p.drawPolygon(shape);
        }
    }

private:
    // Scaled once per picture, not per repaint: a photo has millions of
    // pixels, the small view a few hundred thousand.
    void refreshThumbnail(const RasterImage& pic)
    {
        if (thumbOf_ == pic.bits() && thumbWidth_ == pic.width() && thumbHeight_ == pic.height() &&
            thumbDepth_ == pic.bitsPerPixel())
            return;
        thumbOf_ = pic.bits();
        thumbWidth_ = pic.width();
        thumbHeight_ = pic.height();
        thumbDepth_ = pic.bitsPerPixel();
        const double fit = std::min({1.0, kThumbnailWidth / double(pic.width()), kThumbnailHeight / double(pic.height())});
        const int tw = std::max(1, static_cast<int>(pic.width() * fit));
        const int th = std::max(1, static_cast<int>(pic.height() * fit));
        RasterImage small;
        if (!small.resample(pic, tw, th, kResampleAreaAverage | kResampleTo32Bits)) {
            thumbnail_ = QPixmap();
            return;
        }
        QImage img(tw, th, QImage::Format_RGB32);
        for (int y = 0; y < th; ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < tw; ++x)
                line[x] = 0xFF000000u | (small.colourAt(x, y) & 0xFFFFFFu);
        }
        thumbnail_ = QPixmap::fromImage(img);
    }

    static constexpr int kThumbnailWidth = 960;
    static constexpr int kThumbnailHeight = 720;
    const GameContent& game_;
    int32_t reveal_ = kRevealHidden;
    bool black_ = false;
    QPixmap thumbnail_;
    const uint8_t* thumbOf_ = nullptr;
    int thumbWidth_ = 0, thumbHeight_ = 0, thumbDepth_ = 0;
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
    if (blackCover_ && blackCover_() != blackCoverShown_) {
        blackCoverShown_ = !blackCoverShown_;
        picture_->setBlackCover(blackCoverShown_);
    }
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
