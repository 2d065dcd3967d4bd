#include "reg_file.h"

namespace vantor {

namespace {
const QString kHive = QStringLiteral("HKEY_LOCAL_MACHINE\\");

// Reads a quoted string starting at text[pos] == '"'; returns the position after the closing
// quote, or -1 when the string is not closed.
qsizetype readQuoted(const QString& text, qsizetype pos, QString& out) {
    out.clear();
    for (qsizetype i = pos + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"')
            return i + 1;
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (++i >= text.size())
            return -1;
        const QChar e = text[i];
        if (e == u'n')
            out += u'\n';
        else if (e == u'r')
            out += u'\r';
        else if (e == u't')
            out += u'\t';
        else if (e == u'0')
            out += QChar(0);
        else if (e == u'x') {
            qsizetype j = i + 1;
            while (j < text.size() && j < i + 5 && isxdigit(text[j].toLatin1()))
                ++j;
            bool ok = false;
            const uint code = text.mid(i + 1, j - i - 1).toUInt(&ok, 16);
            if (!ok)
                return -1;
            out += QChar(char16_t(code));
            i = j - 1;
        } else
            out += e;
    }
    return -1;
}

QString quote(const QString& s) {
    QString out = QStringLiteral("\"");
    for (QChar c : s) {
        if (c == u'\\' || c == u'"')
            out += u'\\', out += c;
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out + u'"';
}
} // namespace

QString RegFile::normalizeKey(QString keyPath) {
    keyPath.replace(u'/', u'\\');
    while (keyPath.startsWith(u'\\'))
        keyPath.remove(0, 1);
    if (keyPath.startsWith(kHive, Qt::CaseInsensitive))
        keyPath.remove(0, kHive.size());
    while (keyPath.endsWith(u'\\'))
        keyPath.chop(1);
    return keyPath;
}

RegFile RegFile::parse(const QString& text, Flavour flavour) {
    RegFile f;
    f.flavour_ = flavour;
    QString all = text;
    all.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList raw = all.split(u'\n');
    for (qsizetype n = 0; n < raw.size(); ++n) {
        if (n == raw.size() - 1 && raw[n].isEmpty())
            break; // the final line end
        Line line;
        line.raw = raw[n];
        const QString t = raw[n].trimmed();
        if (t.startsWith(u'[')) {
            const qsizetype close = t.indexOf(u']');
            if (close > 0) {
                QString key = t.mid(1, close - 1);
                if (flavour == Flavour::Wine)
                    key.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
                line.kind = Line::Section;
                line.key = normalizeKey(key);
            }
        } else if (t.startsWith(u'"') || t.startsWith(u'@')) {
            QString name;
            qsizetype pos = 1;
            if (t.startsWith(u'"'))
                pos = readQuoted(t, 0, name);
            if (pos > 0 && pos < t.size() && t[pos] == u'=' && pos + 1 < t.size() &&
                t[pos + 1] == u'"') {
                QString value;
                const qsizetype end = readQuoted(t, pos + 1, value);
                if (end == t.size()) {
                    line.kind = Line::Value;
                    line.name = name;
                    line.value = value;
                }
            }
        }
        f.lines_.push_back(std::move(line));
    }
    return f;
}

QString RegFile::serialize() const {
    QString out;
    if (lines_.empty() || lines_.front().raw.trimmed() != QStringLiteral("REGEDIT4"))
        if (flavour_ == Flavour::Regedit4)
            out += QStringLiteral("REGEDIT4\n\n");
    for (const auto& l : lines_)
        out += l.raw + u'\n';
    return out;
}

int RegFile::findSection(const QString& keyPath) const {
    const QString key = normalizeKey(keyPath);
    // The last header wins, as a later import overrides an earlier one.
    for (int i = int(lines_.size()) - 1; i >= 0; --i)
        if (lines_[i].kind == Line::Section && lines_[i].key.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int RegFile::sectionEnd(int section) const {
    int i = section + 1;
    while (i < int(lines_.size()) && lines_[i].kind != Line::Section)
        ++i;
    return i;
}

bool RegFile::hasKey(const QString& keyPath) const {
    return findSection(keyPath) >= 0;
}

std::optional<QString> RegFile::value(const QString& keyPath, const QString& name) const {
    const int s = findSection(keyPath);
    if (s < 0)
        return std::nullopt;
    for (int i = s + 1; i < sectionEnd(s); ++i)
        if (lines_[i].kind == Line::Value && lines_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return lines_[i].value;
    return std::nullopt;
}

std::vector<std::pair<QString, QString>> RegFile::values(const QString& keyPath) const {
    std::vector<std::pair<QString, QString>> out;
    const int s = findSection(keyPath);
    if (s >= 0)
        for (int i = s + 1; i < sectionEnd(s); ++i)
            if (lines_[i].kind == Line::Value)
                out.emplace_back(lines_[i].name, lines_[i].value);
    return out;
}

QString RegFile::sectionHeader(const QString& keyPath) const {
    return u'[' + kHive + normalizeKey(keyPath) + u']';
}

void RegFile::addKey(const QString& keyPath) {
    if (hasKey(keyPath))
        return;
    if (!lines_.empty() && !lines_.back().raw.trimmed().isEmpty())
        lines_.push_back(Line{});
    Line header;
    header.kind = Line::Section;
    header.key = normalizeKey(keyPath);
    header.raw = sectionHeader(keyPath);
    lines_.push_back(std::move(header));
}

void RegFile::setValue(const QString& keyPath, const QString& name, const QString& value) {
    addKey(keyPath);
    const int s = findSection(keyPath);
    const int end = sectionEnd(s);
    int insertAt = s + 1;
    for (int i = s + 1; i < end; ++i) {
        auto& l = lines_[i];
        if (l.kind == Line::Value && l.name.compare(name, Qt::CaseInsensitive) == 0) {
            // Keep the name as first stored, as the registry does.
            l.value = value;
            l.raw = quote(l.name) + u'=' + quote(value);
            return;
        }
        if (!l.raw.trimmed().isEmpty())
            insertAt = i + 1;
    }
    Line line;
    line.kind = Line::Value;
    line.name = name;
    line.value = value;
    line.raw = quote(name) + u'=' + quote(value);
    lines_.insert(lines_.begin() + insertAt, std::move(line));
}

} // namespace vantor
