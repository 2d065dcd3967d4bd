#include "data_files.h"

namespace vantor {

QString statsFileName(QByteArrayView gameType) {
    if (gameType == kAdversarial)
        return kStatsFile;
    if (gameType == kCooperative)
        return kCoopStatsFile;
    return {};
}

QString statsFileName(const QString& gameType) {
    if (gameType == kAdversarialText)
        return kStatsFile;
    if (gameType == kCooperativeText)
        return kCoopStatsFile;
    return {};
}

} // namespace vantor
