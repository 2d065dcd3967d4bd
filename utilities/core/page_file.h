#pragma once

#include <QString>
#include <string_view>

namespace vantor::utilities {

// A generated page being written. Creating it replaces any file of that name; unless finish()
// succeeds, the file is removed again, so a failed page never leaves a partial file behind.
class PageFile {
public:
    // Throws vantor::Error with the system's message when the file cannot be created.
    explicit PageFile(QString path);
    ~PageFile();
    PageFile(const PageFile&) = delete;
    PageFile& operator=(const PageFile&) = delete;

    // One system call for the whole block (more only when the system writes it in parts).
    void write(std::string_view bytes);
    // Closes the file and keeps it.
    void finish();

    const QString& path() const { return path_; }

private:
    [[noreturn]] void fail(const QString& what, int err);
    void discard();

    QString path_;
    int fd_ = -1;
};

} // namespace vantor::utilities
