#include "gui/QtSoundPlayer.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QList>
#include <QMediaPlayer>
#include <QSignalSpy>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <optional>
#include <string>

#include "alarms/Sound.h"

namespace kalvo {
namespace {

// A mono 16-bit PCM WAV file of silence.
void writeSilentWav(const QString& path, int milliseconds) {
    constexpr quint32 rate = 8000;
    const quint32 dataSize = rate * 2 * static_cast<quint32>(milliseconds) / 1000;
    QByteArray bytes;
    const auto add32 = [&bytes](quint32 value) {
        const quint32 le = qToLittleEndian(value);
        bytes.append(reinterpret_cast<const char*>(&le), 4);
    };
    const auto add16 = [&bytes](quint16 value) {
        const quint16 le = qToLittleEndian(value);
        bytes.append(reinterpret_cast<const char*>(&le), 2);
    };
    bytes.append("RIFF");
    add32(36 + dataSize);
    bytes.append("WAVEfmt ");
    add32(16);        // format chunk size
    add16(1);         // PCM
    add16(1);         // channels
    add32(rate);      // samples per second
    add32(rate * 2);  // bytes per second
    add16(2);         // bytes per sample frame
    add16(16);        // bits per sample
    bytes.append("data");
    add32(dataSize);
    bytes.append(QByteArray(static_cast<qsizetype>(dataSize), '\0'));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Watches a player from before it is started: whether and how its sound ended.
class EndWatch {
public:
    explicit EndWatch(QtSoundPlayer& player)
        : player_(player),
          finished_(&player, &QtSoundPlayer::playbackFinished),
          failed_(&player, &QtSoundPlayer::playbackFailed) {}

    bool ended() const { return !finished_.isEmpty() || !failed_.isEmpty(); }

    // "finished", "failed: <reason>" or, after a minute without either, "no end".
    std::string wait() {
        if (!ended()) {
            QEventLoop loop;
            QObject::connect(&player_, &QtSoundPlayer::playbackFinished, &loop, &QEventLoop::quit);
            QObject::connect(&player_, &QtSoundPlayer::playbackFailed, &loop, &QEventLoop::quit);
            QTimer::singleShot(60'000, &loop, &QEventLoop::quit);
            loop.exec();
        }
        if (!failed_.isEmpty()) {
            return "failed: " + failed_.first().first().toString().toStdString();
        }
        return finished_.isEmpty() ? "no end" : "finished";
    }

private:
    QtSoundPlayer& player_;
    QSignalSpy finished_;
    QSignalSpy failed_;
};

// The media players of `player` that are still playing, once those it gave up are destroyed.
qsizetype soundsPlaying(const QtSoundPlayer& player) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    qsizetype playing = 0;
    for (const QMediaPlayer* media : player.findChildren<QMediaPlayer*>()) {
        playing += media->playbackState() == QMediaPlayer::PlayingState ? 1 : 0;
    }
    return playing;
}

class QtSoundPlayerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }

    QString path(const QString& name) const { return folder_.filePath(name); }
    static std::string utf8(const QString& text) { return text.toStdString(); }

    QTemporaryDir folder_;
};

TEST_F(QtSoundPlayerTest, PlaysAWavFileWithoutWaitingForItsEnd) {
    struct Case {
        const char* what;
        QString name;
        bool relative;  // named from the current folder
    };
    const Case cases[] = {
        {"an absolute name", "bell.wav", false},
        {"a name relative to the current folder", "bell.wav", true},
        {"a name outside ASCII", QStringLiteral("Gl\u00f6ckchen.wav"), false},
    };
    const QString previousFolder = QDir::currentPath();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeSilentWav(path(c.name), 400);
        ASSERT_TRUE(QDir::setCurrent(c.relative ? folder_.path() : previousFolder));
        QtSoundPlayer player;
        EndWatch watch(player);

        EXPECT_TRUE(playSound(player, utf8(c.relative ? c.name : path(c.name))));
        EXPECT_FALSE(watch.ended()) << "play waited for the end of the sound";
        EXPECT_TRUE(player.isPlaying());
        EXPECT_EQ(watch.wait(), "finished");

        // A sound that ended by itself stays open, and which file it is was settled on
        // opening, whatever the current folder is now.
        EXPECT_FALSE(player.isPlaying());
        ASSERT_TRUE(QDir::setCurrent(previousFolder));
        EndWatch again(player);
        EXPECT_TRUE(player.play());
        EXPECT_EQ(again.wait(), "finished");
        EXPECT_EQ(stopSound(player), std::nullopt);
    }
    ASSERT_TRUE(QDir::setCurrent(previousFolder));
}

TEST_F(QtSoundPlayerTest, AFileThatCannotBePlayedFailsWithoutHarmingThePlayer) {
    enum class Outcome { notStarted, notStartedOrFailed };
    struct Case {
        const char* what;
        QString name;
        std::optional<QByteArray> content;  // none: no such file
        Outcome outcome;
    };
    const Case cases[] = {
        {"a missing file", "missing.wav", std::nullopt, Outcome::notStarted},
        {"a folder", ".", std::nullopt, Outcome::notStarted},
        {"an empty file", "empty.wav", QByteArray(), Outcome::notStartedOrFailed},
        {"a text file", "text.mp3", QByteArray(4000, 'x'), Outcome::notStartedOrFailed},
        {"a WAV header and nothing else", "cut.wav", QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16),
         Outcome::notStartedOrFailed},
    };
    writeSilentWav(path("bell.wav"), 200);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.content) {
            writeBytes(path(c.name), *c.content);
        }
        QtSoundPlayer player;
        EndWatch watch(player);

        const bool started = playSound(player, utf8(path(c.name)));
        if (c.outcome == Outcome::notStarted) {
            EXPECT_FALSE(started);
            EXPECT_FALSE(player.isOpen());
            EXPECT_EQ(stopSound(player), "No MCI device open");
        } else if (started) {
            EXPECT_EQ(watch.wait().substr(0, 7), "failed:");
            EXPECT_FALSE(player.isPlaying());
            // The page's stop button after such a sound reports nothing.
            EXPECT_EQ(stopSound(player), std::nullopt);
        }

        EndWatch next(player);
        EXPECT_TRUE(playSound(player, utf8(path("bell.wav"))));
        EXPECT_EQ(next.wait(), "finished");
    }
}

TEST_F(QtSoundPlayerTest, StopKeepsTheSoundOpenAndCloseEndsIt) {
    writeSilentWav(path("long.wav"), 3000);
    writeSilentWav(path("short.wav"), 200);
    QtSoundPlayer player;

    ASSERT_TRUE(playSound(player, utf8(path("long.wav"))));
    EXPECT_TRUE(player.stop());
    EXPECT_FALSE(player.isPlaying());
    EXPECT_TRUE(player.isOpen());
    EXPECT_TRUE(player.play());
    EXPECT_TRUE(player.isPlaying());

    EXPECT_EQ(stopSound(player), std::nullopt);
    EXPECT_FALSE(player.isOpen());
    EXPECT_EQ(soundsPlaying(player), 0);
    EXPECT_FALSE(player.play());
    EXPECT_EQ(stopSound(player), "No MCI device open");

    EndWatch watch(player);
    EXPECT_TRUE(playSound(player, utf8(path("short.wav"))));
    EXPECT_EQ(watch.wait(), "finished");
}

// Nested alarms share the player: a second sound replaces the first, and its end is the one
// announced.
TEST_F(QtSoundPlayerTest, ANewSoundReplacesTheOnePlaying) {
    writeSilentWav(path("long.wav"), 60'000);
    writeSilentWav(path("short.wav"), 200);
    QtSoundPlayer player;
    EndWatch watch(player);

    ASSERT_TRUE(playSound(player, utf8(path("long.wav"))));
    ASSERT_TRUE(playSound(player, utf8(path("short.wav"))));
    EXPECT_EQ(soundsPlaying(player), 1);
    EXPECT_EQ(watch.wait(), "finished");
    EXPECT_EQ(soundsPlaying(player), 0) << "the first sound plays on";
    EXPECT_EQ(stopSound(player), std::nullopt);
}

}  // namespace
}  // namespace kalvo
