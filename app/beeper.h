// The program's sound clips, played from the resources without waiting for them to end.
#pragma once

#include <QObject>
#include <QString>

#include <array>

class QSoundEffect;

// Keeps one sound effect per clip. A new sound cuts off the one playing; without a sound device
// nothing is heard and nothing is reported.
class SoundPlayer : public QObject
{
    Q_OBJECT

public:
    static constexpr unsigned SoundCount = 7;

    explicit SoundPlayer(QObject *parent = nullptr);
    ~SoundPlayer() override;

    // The resource of clip index ("RSTART" for 0 ... "RAIR" for 6); empty above 6.
    static QString resourcePath(unsigned index);

    // Starts clip index and returns at once; indices above 6 play nothing.
    void play(unsigned index);

    // What was asked for, so that tests can check it without a sound device.
    int playCount() const { return playCount_; }
    int lastIndex() const { return lastIndex_; }

private:
    std::array<QSoundEffect *, SoundCount> effects_{};
    QSoundEffect *playing_ = nullptr;
    int playCount_ = 0;
    int lastIndex_ = -1;
};
