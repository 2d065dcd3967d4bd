#pragma once

#include <QString>
#include <memory>

class QSoundEffect;

namespace vantor {

// Plays a wave file without waiting for it to end.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Throws vantor::Error with the reason when the file cannot be played.
    virtual void play(const QString& waveFile) = 0;
};

class QtSoundPlayer : public SoundPlayer {
public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;
    void play(const QString& waveFile) override;

private:
    std::unique_ptr<QSoundEffect> effect_;
};

} // namespace vantor
