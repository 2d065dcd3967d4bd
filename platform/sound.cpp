#include "sound.h"

#include "common/error.h"

#include <QFile>
#include <QSoundEffect>
#include <QUrl>

namespace vantor {

QtSoundPlayer::QtSoundPlayer() = default;
QtSoundPlayer::~QtSoundPlayer() = default;

void QtSoundPlayer::play(const QString& waveFile) {
    QFile f(waveFile);
    if (!f.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot open \"%1\": %2").arg(waveFile, f.errorString()));
    // The effect loads asynchronously; a file that is no wave is refused here, at once.
    const QByteArray head = f.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        throw Error(QStringLiteral("\"%1\" is not a wave file").arg(waveFile));
    effect_ = std::make_unique<QSoundEffect>();
    effect_->setSource(QUrl::fromLocalFile(waveFile));
    effect_->play();
}

} // namespace vantor
