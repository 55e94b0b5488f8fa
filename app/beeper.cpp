// The sound clips: one QSoundEffect per clip, created on first use and kept.
#include "app/beeper.h"

#include <QSoundEffect>
#include <QUrl>

namespace {

constexpr std::array<const char *, SoundPlayer::SoundCount> SoundNames = {
    "RSTART", "RCLICK", "RTICK", "RPOP", "RSTRUM", "REXIT", "RAIR",
};

} // namespace

SoundPlayer::SoundPlayer(QObject *parent) : QObject(parent)
{
}

SoundPlayer::~SoundPlayer() = default;

QString SoundPlayer::resourcePath(unsigned index)
{
    if (index >= SoundCount) {
        return {};
    }
    return QStringLiteral(":/sounds/%1.wav").arg(QLatin1String(SoundNames[index]));
}

void SoundPlayer::play(unsigned index)
{
    if (index >= SoundCount) {
        return;
    }
    ++playCount_;
    lastIndex_ = int(index);

    // Without a sound device isPlaying() never turns false, so the previous clip is always stopped.
    if (playing_) {
        playing_->stop();
    }
    QSoundEffect *&effect = effects_[index];
    if (!effect) {
        effect = new QSoundEffect(this);
        effect->setSource(QUrl(QStringLiteral("qrc") + resourcePath(index)));
    }
    effect->stop();
    effect->play();
    playing_ = effect;
}
