#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace vantor {

// A registry text file (REGEDIT4, or Wine's own .reg files) kept line by line: lines it
// cannot understand (garbled, cut short) are carried through a rewrite unchanged, so a
// write never makes a damaged file worse.
class RegFile {
public:
    enum class Flavour { Regedit4, Wine };

    static RegFile parse(const QString& text, Flavour flavour = Flavour::Regedit4);
    QString serialize() const;

    // Key paths are relative to HKEY_LOCAL_MACHINE ("Software\Vantor", a leading "\" allowed);
    // key paths and value names compare without regard to case.
    bool hasKey(const QString& keyPath) const;
    std::optional<QString> value(const QString& keyPath, const QString& name) const;
    // Every value of a key, by the name as stored.
    std::vector<std::pair<QString, QString>> values(const QString& keyPath) const;

    void addKey(const QString& keyPath);
    void setValue(const QString& keyPath, const QString& name, const QString& value);

    static QString normalizeKey(QString keyPath);

private:
    struct Line {
        QString raw;
        QString key;  // for a section header: the key path without the hive
        QString name; // for a value line
        QString value;
        enum Kind { Other, Section, Value } kind = Other;
    };
    int findSection(const QString& keyPath) const;
    int sectionEnd(int section) const;
    QString sectionHeader(const QString& keyPath) const;

    Flavour flavour_ = Flavour::Regedit4;
    std::vector<Line> lines_;
};

} // namespace vantor
