#pragma once

#include <QString>

namespace vantor {

// A fresh folder of our own inside parent, made under a unique name beginning with prefix
// (mode 0700, never reused) and removed with everything in it when the object goes. Work
// inside it goes through the folder handle held open from its making: path() names the folder
// through that handle, so swapping its name for a link, or for another folder, while the work
// runs leads nowhere else. Removal never follows a link.
class ScratchFolder {
public:
    // Throws vantor::Error when the folder cannot be made.
    ScratchFolder(const QString& parent, const QString& prefix);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder through its handle, for paths of files inside it.
    QString path() const;
    // The name it was made under in parent.
    const QString& name() const { return name_; }

private:
    QString parent_;
    QString name_;
    int parentFd_ = -1;
    int fd_ = -1;
};

// Removes everything inside the open folder fd, never following a link: sub-folders are
// opened with O_NOFOLLOW and emptied the same way. False when something could not be removed.
bool emptyFolderAt(int fd);

} // namespace vantor
