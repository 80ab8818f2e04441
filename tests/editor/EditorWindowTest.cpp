// The editor's window on the offscreen platform: what it shows of a file, and whether it plays it.
#include <gtest/gtest.h>

#include <QAudioDevice>
#include <QFile>
#include <QLocale>
#include <QMediaDevices>
#include <QTemporaryDir>

#include "EditorWindow.h"

namespace {

// One second of a 440 Hz square wave, 8-bit mono at 8000 Hz.
QByteArray SquareWave() {
    QByteArray samples;
    for (int i = 0; i < 8000; ++i)
        samples += static_cast<char>((i / 9) % 2 ? 0xC0 : 0x40);
    const auto le = [](quint32 value, int bytes) {
        QByteArray out;
        for (int i = 0; i < bytes; ++i)
            out += static_cast<char>((value >> (8 * i)) & 0xFF);
        return out;
    };
    return "RIFF" + le(36 + samples.size(), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(8000, 4) +
           le(8000, 4) + le(1, 2) + le(8, 2) + "data" + le(samples.size(), 4) + samples;
}

class EditorWindowTest : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        QFile file(m_dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    QTemporaryDir m_dir;
    EditorWindow window;
};

TEST_F(EditorWindowTest, ASoundIsShownWithItsSizeAndPlaysWhereThereIsAnOutput) {
    const QByteArray wave = SquareWave();
    window.ShowFile(Write("tone.wav", wave));
    EXPECT_EQ(window.FileText(), "tone.wav");
    EXPECT_EQ(window.SizeText(), QLocale().formattedDataSize(wave.size()));
    if (QMediaDevices::audioOutputs().isEmpty()) {
        EXPECT_TRUE(window.StatusText().startsWith("No audio output")) << window.StatusText().toStdString();
        EXPECT_FALSE(window.IsPlaying());
    } else {
        EXPECT_TRUE(window.IsPlaying());
    }
}

TEST_F(EditorWindowTest, OtherFilesAreShownButNotPlayedAndAMissingFileIsSaidToBeMissing) {
    window.ShowFile(Write("notes.txt", "not a sound\n"));
    EXPECT_EQ(window.FileText(), "notes.txt");
    EXPECT_EQ(window.SizeText(), QLocale().formattedDataSize(12));
    EXPECT_EQ(window.StatusText(), "Not a sound: nothing to play.");
    EXPECT_FALSE(window.IsPlaying());

    window.ShowFile(m_dir.filePath("gone.wav"));
    EXPECT_EQ(window.FileText(), "gone.wav");
    EXPECT_TRUE(window.SizeText().isEmpty());
    EXPECT_TRUE(window.StatusText().contains("does not exist"));
}

}  // namespace
