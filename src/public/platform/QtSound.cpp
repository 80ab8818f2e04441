#include "platform/QtSound.h"

#include <QFileInfo>
#include <QUrl>

#include "platform/CodePage.h"

#ifdef NIMBRA_HAVE_MULTIMEDIA
#include <QAudioDevice>
#include <QAudioOutput>
#include <QMediaDevices>
#include <QMediaPlayer>

// One player, reused: a new sound replaces the one still playing.
struct QtSound::Player {
    QAudioOutput output;
    QMediaPlayer player;
    Player() { player.setAudioOutput(&output); }
};

QtSound::QtSound() = default;
QtSound::~QtSound() = default;

bool QtSound::PlayAsync(const std::string& file) {
    const QFileInfo info(ToQString(file));
    if (!info.isFile() || !info.isReadable() || !HasAudioOutput()) {
        return false;
    }
    if (!m_player) {
        m_player = std::make_unique<Player>();
    }
    m_player->player.stop();
    m_player->player.setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    m_player->player.play();
    return m_player->player.error() == QMediaPlayer::NoError;
}

bool QtSound::HasAudioOutput() {
    return !QMediaDevices::audioOutputs().isEmpty();
}
#else
struct QtSound::Player {};

QtSound::QtSound() = default;
QtSound::~QtSound() = default;

bool QtSound::PlayAsync(const std::string& /*file*/) {
    return false;
}

bool QtSound::HasAudioOutput() {
    return false;
}
#endif
