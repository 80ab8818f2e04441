#include "EditorWindow.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFileInfo>
#include <QFormLayout>
#include <QLocale>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QMimeDatabase>
#include <QStyle>
#include <QVBoxLayout>

EditorWindow::EditorWindow(QWidget* parent)
    : QWidget(parent),
      m_account(new QLabel(tr("Not signed in"), this)),
      m_file(new QLabel(this)),
      m_size(new QLabel(this)),
      m_type(new QLabel(this)),
      m_status(new QLabel(this)),
      m_play(new QPushButton(this)) {
    setWindowTitle("Tonevo");
    m_play->setEnabled(false);
    m_play->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    m_play->setText(tr("Play"));
    m_status->setWordWrap(true);
    auto* details = new QFormLayout;
    details->addRow(tr("Account:"), m_account);
    details->addRow(tr("File:"), m_file);
    details->addRow(tr("Size:"), m_size);
    details->addRow(tr("Type:"), m_type);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(details);
    layout->addWidget(m_play, 0, Qt::AlignLeft);
    layout->addWidget(m_status);
    resize(420, 200);
    connect(m_play, &QPushButton::clicked, this, &EditorWindow::TogglePlaying);
}

EditorWindow::~EditorWindow() = default;

QMediaPlayer& EditorWindow::Player() {
    if (!m_player) {
        m_output = std::make_unique<QAudioOutput>();
        m_player = std::make_unique<QMediaPlayer>();
        m_player->setAudioOutput(m_output.get());
        connect(
            m_player.get(), &QMediaPlayer::playbackStateChanged, this,
            [this](QMediaPlayer::PlaybackState state) {
                const bool playing = state == QMediaPlayer::PlayingState;
                m_play->setText(playing ? tr("Stop") : tr("Play"));
                m_play->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaStop : QStyle::SP_MediaPlay));
            });
        connect(m_player.get(), &QMediaPlayer::errorOccurred, this,
                [this](QMediaPlayer::Error, const QString& reason) {
                    m_status->setText(tr("Cannot play: %1").arg(reason));
                });
    }
    return *m_player;
}

void EditorWindow::ShowAccount(const QString& account) {
    m_account->setText(account);
}

void EditorWindow::ShowFile(const QString& path) {
    if (m_player) {
        m_player->stop();
    }
    const QFileInfo info(path);
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
    m_file->setText(info.fileName());
    m_size->setText(info.isFile() ? QLocale().formattedDataSize(info.size()) : QString());
    m_type->setText(info.isFile() ? type.comment() : QString());
    const bool sound = info.isFile() && type.name().startsWith("audio/");
    m_play->setEnabled(false);
    if (!info.isFile()) {
        m_status->setText(tr("The file %1 does not exist.").arg(path));
        return;
    }
    if (!sound) {
        m_status->setText(tr("Not a sound: nothing to play."));
        return;
    }
    // Qt Multimedia reports nothing when there is no audio output: it would seem to play in silence.
    if (QMediaDevices::audioOutputs().isEmpty()) {
        m_status->setText(tr("No audio output on this machine: the sound cannot be played."));
        return;
    }
    m_status->clear();
    m_play->setEnabled(true);
    Player().setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    Player().play();
}

bool EditorWindow::IsPlaying() const {
    return m_player && m_player->playbackState() == QMediaPlayer::PlayingState;
}

void EditorWindow::TogglePlaying() {
    if (IsPlaying()) {
        Player().stop();
    } else {
        Player().play();
    }
}
