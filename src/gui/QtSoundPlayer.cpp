#include "gui/QtSoundPlayer.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QUrl>
#include <utility>

namespace kalvo {

QtSoundPlayer::QtSoundPlayer(QObject* parent) : QObject(parent) {}

QtSoundPlayer::~QtSoundPlayer() = default;

bool QtSoundPlayer::open(const std::string& fileName) {
    close();
    const QFileInfo file(QString::fromStdString(fileName));
    // The backend would only say so later; a named pipe would keep it reading.
    if (!file.isFile() || !file.isReadable()) {
        return false;
    }
    // The file is settled here: a later change of the current folder must not change what a
    // replay after stop() plays.
    source_ = file.absoluteFilePath();
    if (!loadPlayer()) {
        source_.clear();
        return false;
    }
    return true;
}

bool QtSoundPlayer::play() {
    if (source_.isEmpty()) {
        return false;
    }
    // Going back to the beginning would take a seek, which blocks on a pipeline that has
    // failed unnoticed so far; a fresh player starts there.
    if (player_ != nullptr && player_->playbackState() != QMediaPlayer::StoppedState) {
        releasePlayer();
    }
    if (player_ == nullptr && !loadPlayer()) {
        return false;
    }
    player_->play();
    // An error reported at once has already released the player.
    started_ = player_ != nullptr && player_->error() == QMediaPlayer::NoError;
    return started_;
}

bool QtSoundPlayer::stop() {
    if (source_.isEmpty()) {
        return false;
    }
    releasePlayer();
    return true;
}

void QtSoundPlayer::close() noexcept {
    releasePlayer();
    source_.clear();
}

bool QtSoundPlayer::isOpen() const {
    return !source_.isEmpty();
}

bool QtSoundPlayer::isPlaying() const {
    return player_ != nullptr && player_->playbackState() == QMediaPlayer::PlayingState;
}

bool QtSoundPlayer::loadPlayer() {
    auto* player = new QMediaPlayer(this);
    player->setAudioOutput(new QAudioOutput(player));
    player_ = player;
    connect(player, &QMediaPlayer::errorOccurred, this,
            [this, player](QMediaPlayer::Error error, const QString& reason) {
                if (error != QMediaPlayer::NoError) {
                    fail(player, reason);
                }
            });
    connect(player, &QMediaPlayer::mediaStatusChanged, this,
            [this, player](QMediaPlayer::MediaStatus status) {
                if (status == QMediaPlayer::InvalidMedia) {
                    fail(player, QStringLiteral("The sound cannot be played."));
                } else if (status == QMediaPlayer::EndOfMedia && player == player_) {
                    // Let the sound device go; the sound stays open.
                    releasePlayer();
                    emit playbackFinished();
                }
            });
    if (!player->isAvailable()) {
        releasePlayer();
        return false;
    }
    player->setSource(QUrl::fromLocalFile(source_));
    if (player_ == nullptr || player->error() != QMediaPlayer::NoError) {
        releasePlayer();
        return false;
    }
    return true;
}

void QtSoundPlayer::releasePlayer() noexcept {
    started_ = false;
    QMediaPlayer* const player = std::exchange(player_, nullptr);
    if (player == nullptr) {
        return;
    }
    player->disconnect(this);
    // Silent at once, although the player may be inside one of its own signals and is deleted
    // only when the event loop comes back.
    if (QAudioOutput* const output = player->audioOutput()) {
        output->setMuted(true);
    }
    player->deleteLater();
}

void QtSoundPlayer::fail(QMediaPlayer* failed, const QString& reason) {
    // A failing pipeline reports several errors; the first one counts.
    if (failed != player_) {
        return;
    }
    const bool late = started_;
    releasePlayer();
    emit playbackFailed(reason);
    if (late) {
        reportLateFailure();
    }
}

}  // namespace kalvo
