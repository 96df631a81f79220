#pragma once

#include <QObject>
#include <QString>
#include <string>

#include "alarms/SoundPlayer.h"

class QMediaPlayer;

namespace kalvo {

// The program's sound player over Qt Multimedia: WAV, MP3 and whatever else the platform's
// backend decodes (on Linux GStreamer, whose "good" plugins bring WAV and MP3).
//
// The backend finds out only after play() has returned whether it can decode a file and reach
// a sound device, and this player never waits for it: waiting would run an event loop, and so
// the idle alarm check, inside play(). So play() reports false for what is known at once (a
// file that is missing or unreadable, no media backend), and a later failure is announced by
// playbackFailed; the sound then counts as ended and stays open like one that played out.
//
// Each start gets a media player of its own, and stopping or closing throws it away instead of
// asking it to stop: a GStreamer pipeline that has failed takes a second to change its state,
// while destroying it is immediate.
class QtSoundPlayer final : public QObject, public SoundPlayer {
    Q_OBJECT

public:
    explicit QtSoundPlayer(QObject* parent = nullptr);
    ~QtSoundPlayer() override;

    bool open(const std::string& fileName) override;
    bool play() override;
    bool stop() override;
    void close() noexcept override;
    bool isOpen() const override;

    // Whether the open sound is being played: started, and neither stopped, ended nor failed.
    bool isPlaying() const;

signals:
    // The open sound played to its end.
    void playbackFinished();
    // The backend could not play the open sound after play() returned; `reason` is its
    // message, for diagnosis only.
    void playbackFailed(const QString& reason);

private:
    bool loadPlayer();
    void releasePlayer() noexcept;
    void fail(QMediaPlayer* failed, const QString& reason);

    QString source_;                  // absolute path of the open sound; empty when none is open
    QMediaPlayer* player_ = nullptr;  // a child of this; null while stopped, ended or failed
    bool started_ = false;            // play() reported the sound of player_ as started
};

}  // namespace kalvo
