#pragma once

#include <QByteArray>
#include <QHash> // std::hash of QByteArray
#include <QString>
#include <unordered_map>
#include <vector>

namespace vantor::history::site {

// File names for things named by players (their names, maps): lower-case ASCII letters, digits
// and '-' only, so no '/', "..", control character or letter case can reach the file system,
// and a server that folds case still keeps two names apart. The name's own bytes give a hash
// suffix, so a file keeps its name from build to build whatever else the site holds.
QString fileStem(const QByteArray& cp1252Name);

// The stems of a set of names. Two different names that still meet (a hash collision) are told
// apart by a counter in the order of their bytes, so the result depends on the set alone.
class StemTable {
public:
    // names: every name once.
    explicit StemTable(const std::vector<QByteArray>& names);
    // name: one of the set.
    const QString& stemOf(const QByteArray& name) const;
    // How many names had to be told apart by a counter.
    std::size_t collisions() const { return collisions_; }

private:
    // Worked out as they are asked for while no two names share a hash: a refresh asks for few.
    mutable std::unordered_map<QByteArray, QString> stems_;
    bool lazy_ = true;
    std::size_t collisions_ = 0;
};

} // namespace vantor::history::site
