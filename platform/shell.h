#pragma once

#include <QString>

namespace vantor {

// The desktop's "open": pages and links in their default handler, programs by path.
class Shell {
public:
    virtual ~Shell() = default;
    // A URL, or a file path of the data folder such as "Rankings.html".
    virtual bool open(const QString& target) = 0;
    // Starts the program file, detached, in workingDir; false when it could not be started.
    virtual bool startProgram(const QString& programFile, const QString& workingDir) = 0;
};

class DesktopShell : public Shell {
public:
    bool open(const QString& target) override;
    bool startProgram(const QString& programFile, const QString& workingDir) override;
};

} // namespace vantor
