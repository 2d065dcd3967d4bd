#pragma once

#include <QString>

namespace vantor {

// The desktop's "open": pages and links in their default handler, programs by name.
class Shell {
public:
    virtual ~Shell() = default;
    // A URL, or a file path of the data folder such as "Rankings.html".
    virtual bool open(const QString& target) = 0;
    // Starts a program found beside this program or on PATH, detached, in workingDir.
    virtual bool startProgram(const QString& program, const QString& workingDir) = 0;
};

class DesktopShell : public Shell {
public:
    bool open(const QString& target) override;
    bool startProgram(const QString& program, const QString& workingDir) override;
};

} // namespace vantor
