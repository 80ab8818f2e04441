#pragma once
// The editor's window: who is signed in, the file opened (name, size, type) and, for a sound, a player.

#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <memory>

class QAudioOutput;
class QMediaPlayer;

class EditorWindow final : public QWidget {
    Q_OBJECT
public:
    explicit EditorWindow(QWidget* parent = nullptr);
    ~EditorWindow() override;

    void ShowAccount(const QString& account);
    // Shows the file and plays it when it is a sound and the machine has somewhere to play it.
    void ShowFile(const QString& path);

    QString FileText() const { return m_file->text(); }
    QString SizeText() const { return m_size->text(); }
    QString StatusText() const { return m_status->text(); }
    bool IsPlaying() const;

private:
    // Made for the first sound there is an output for: without one, some media backends fail already here.
    QMediaPlayer& Player();
    void TogglePlaying();

    QLabel* m_account;
    QLabel* m_file;
    QLabel* m_size;
    QLabel* m_type;
    QLabel* m_status;
    QPushButton* m_play;
    std::unique_ptr<QAudioOutput> m_output;
    std::unique_ptr<QMediaPlayer> m_player;
};
