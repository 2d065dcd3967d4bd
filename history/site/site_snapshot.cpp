#include "site_snapshot.h"

#include "site_folder.h"

#include "common/error.h"
#include "common/file_writer.h"
#include "common/large_buffer.h"
#include "common/plain_file.h"
#include "common/unique_fd.h"

#include <QDir>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <type_traits>

namespace vantor::history::site {

namespace {

const QByteArray kMagic = "vantor-site-model\n";
// Raised whenever what is written changes; another number is read as no snapshot.
constexpr std::uint32_t kFormat = 3;
// Written in this machine's byte order: a snapshot from another order is not read.
constexpr std::uint32_t kByteOrder = 0x01020304;
const QString kScratch = kModelFile + QStringLiteral(".tmp");
// A million games of 16 players take some 600 MB.
constexpr qint64 kModelLimit = 4ll * 1024 * 1024 * 1024;
constexpr std::size_t kChunk = 1 << 20;
// An award without a winner, or without a runner-up.
constexpr std::uint32_t kNoPlayer = 0xFFFFFFFF;

static_assert(std::is_trivially_copyable_v<SiteRow> && sizeof(SiteRow) == 10 * 4 &&
                  std::is_trivially_copyable_v<SiteGame> && sizeof(SiteGame) == 80 &&
                  std::has_unique_object_representations_v<SiteRow>,
              "rows and games are written as they lie in memory, without padding");

// A quick digest against a damaged file (not against a forger: one who can write the folder can
// write the pages as well). Four lanes of eight bytes a step, so that checking a file of hundreds
// of megabytes costs little beside mapping it.
class Digest {
public:
    void add(const char* data, std::size_t size) {
        for (; size > 0 && filled_ > 0; --size)
            if ((tail_[filled_++] = *data++), filled_ == kBlock) {
                block(tail_);
                filled_ = 0;
            }
        for (; size >= kBlock; size -= kBlock, data += kBlock)
            block(data);
        for (; size > 0; --size)
            tail_[filled_++] = *data++;
    }
    std::uint64_t value() const {
        Digest d = *this;
        const std::uint64_t bytes = d.blocks_ * kBlock + std::uint64_t(d.filled_);
        std::memset(d.tail_ + d.filled_, 0, std::size_t(kBlock - d.filled_));
        d.block(d.tail_);
        std::uint64_t h = bytes * 0x9E3779B97F4A7C15ull;
        for (std::uint64_t lane : d.h_) {
            h = (h ^ lane) * 0xFF51AFD7ED558CCDull;
            h ^= h >> 33;
        }
        return h;
    }

private:
    static constexpr int kBlock = 32;
    void block(const char* p) {
        for (int lane = 0; lane < 4; ++lane) {
            std::uint64_t w;
            std::memcpy(&w, p + 8 * lane, 8);
            std::uint64_t& h = h_[lane];
            h = (h ^ (w * 0x87C37B91114253D5ull)) * 0x4CF5AD432745937Full;
            h = (h << 31) | (h >> 33);
        }
        ++blocks_;
    }
    std::uint64_t h_[4] = {0x243F6A8885A308D3ull, 0x13198A2E03707344ull, 0xA4093822299F31D0ull,
                           0x082EFA98EC4E6C89ull};
    std::uint64_t blocks_ = 0;
    char tail_[kBlock] = {};
    int filled_ = 0;
};

class Writer {
public:
    explicit Writer(OutputFile& file) : file_(file) { buffer_.reserve(kChunk); }

    void raw(const void* data, std::size_t size) {
        position_ += size;
        digest_.add(static_cast<const char*>(data), size);
        if (buffer_.size() + size > kChunk)
            flush();
        if (size >= kChunk)
            file_.write(std::string_view(static_cast<const char*>(data), size));
        else
            buffer_.append(static_cast<const char*>(data), qsizetype(size));
    }
    template <typename T> void put(T value) {
        static_assert(std::is_arithmetic_v<T>);
        raw(&value, sizeof value);
    }
    void bytes(const QByteArray& b) {
        put(std::uint32_t(b.size()));
        raw(b.constData(), std::size_t(b.size()));
    }
    void text(const QString& s) { bytes(s.toUtf8()); }
    // Zeros up to a multiple of to, so what comes next can be used where it lies once mapped.
    void align(std::size_t to) {
        while (position_ % to != 0)
            put(char(0));
    }
    // The digest of all before it, unhashed itself.
    void finish() {
        const std::uint64_t d = digest_.value();
        flush();
        file_.write(std::string_view(reinterpret_cast<const char*>(&d), sizeof d));
    }

private:
    void flush() {
        file_.write(std::string_view(buffer_.constData(), std::size_t(buffer_.size())));
        buffer_.clear();
    }
    OutputFile& file_;
    QByteArray buffer_;
    Digest digest_;
    std::uint64_t position_ = 0;
};

// Reads from the file's mapping; every failure sets ok() false and makes every later read fail
// too.
class Reader {
public:
    explicit Reader(std::shared_ptr<const MappedFile> file)
        : file_(std::move(file)), data_(file_->data()),
          end_(std::int64_t(file_->size()) - std::int64_t(sizeof(std::uint64_t))) {
        ok_ = end_ >= 0;
    }

    bool ok() const { return ok_; }
    const std::shared_ptr<const MappedFile>& file() const { return file_; }
    // The next size bytes where they lie, or nullptr.
    const char* take(std::size_t size) {
        if (!ok_ || std::int64_t(size) > end_ - at_) {
            ok_ = false;
            return nullptr;
        }
        const char* p = data_ + at_;
        at_ += std::int64_t(size);
        return p;
    }
    bool raw(void* into, std::size_t size) {
        const char* p = take(size);
        if (p)
            std::memcpy(into, p, size);
        return p != nullptr;
    }
    template <typename T> T get() {
        static_assert(std::is_arithmetic_v<T>);
        T value{};
        raw(&value, sizeof value);
        return value;
    }
    // Skips the zeros the writer put before an item that starts on a multiple of to.
    void align(std::size_t to) {
        while (ok_ && at_ % std::int64_t(to) != 0)
            if (get<char>() != 0)
                ok_ = false;
    }
    // A count of items of at least itemBytes each: never more than the file can hold.
    std::size_t count(std::size_t itemBytes) {
        const auto n = get<std::uint64_t>();
        if (n > std::uint64_t(end_ - at_) / itemBytes)
            ok_ = false;
        return ok_ ? std::size_t(n) : 0;
    }
    QByteArray bytes() {
        const auto n = get<std::uint32_t>();
        const char* p = take(n);
        return p ? QByteArray(p, qsizetype(n)) : QByteArray();
    }
    QString text() {
        const auto n = get<std::uint32_t>();
        const char* p = take(n);
        return p ? QString::fromUtf8(p, qsizetype(n)) : QString();
    }
    // Everything was read, and the digest at the end matches it.
    bool finish() {
        if (!ok_ || at_ != end_)
            return false;
        Digest digest;
        digest.add(data_, std::size_t(end_));
        std::uint64_t stored = 0;
        std::memcpy(&stored, data_ + end_, sizeof stored);
        return stored == digest.value();
    }

private:
    std::shared_ptr<const MappedFile> file_;
    const char* data_;
    std::int64_t end_; // where the digest starts
    std::int64_t at_ = 0;
    bool ok_ = true;
};

template <typename T> bool below(T index, std::size_t size) {
    return index >= 0 && std::size_t(index) < size;
}

} // namespace

struct ModelCodec {
    static void write(Writer& w, const SiteModel& m) {
        for (const auto* list : {&m.texts_, &m.maps_}) {
            w.put(std::uint64_t(list->size()));
            for (const QByteArray& t : *list)
                w.bytes(t);
        }
        w.put(std::uint64_t(m.games_.size()));
        runs(w, m.games_);
        w.put(std::uint64_t(m.monthGames_.size()));
        for (const auto& [month, count] : m.monthGames_) {
            w.put(std::int32_t(month));
            w.put(count);
        }
        w.put(std::uint64_t(m.rows_.size()));
        runs(w, m.rows_);
        w.put(std::uint64_t(m.players_.size()));
        for (const SitePlayer& p : m.players_) {
            w.bytes(p.name);
            totals(w, p.total);
            w.put(p.rank);
            w.put(p.rankedCount);
            w.put(p.firstGame);
            w.put(p.lastGame);
            w.put(p.lastRow);
        }
        w.bytes(m.ratings_.state());
        for (std::size_t map = 0; map < m.maps_.size(); ++map) {
            const MapTally& t = m.mapTallies_[map];
            for (std::int64_t v : {t.blue, t.gold, t.seconds, t.timed})
                w.put(v);
            w.put(std::uint64_t(m.mapPlayers_[map].size()));
            m.mapPlayers_[map].forEach([&](std::uint32_t player, const MapPlayer& mp) {
                w.put(player);
                w.put(mp.kills);
                w.put(mp.games);
            });
        }
        for (const SiteModel::KeptWindow& k : m.kept_) {
            w.put(std::uint8_t(k.any));
            w.put(std::int32_t(k.key.value));
            w.put(k.totals.blue);
            w.put(k.totals.gold);
            w.put(std::uint64_t(k.totals.players.size()));
            for (const auto& [player, t] : k.totals.players) {
                w.put(player);
                totals(w, t);
            }
        }
    }

    // Items written as they lie in memory, where they can be used once the file is mapped.
    template <typename T> static void runs(Writer& w, const KeptList<T>& list) {
        w.align(alignof(std::uint64_t));
        w.raw(list.kept(), list.keptCount() * sizeof(T));
        w.raw(list.added(), list.addedCount() * sizeof(T));
    }
    template <typename T> static bool runs(Reader& r, std::size_t count, KeptList<T>& list) {
        r.align(alignof(std::uint64_t));
        const char* at = r.take(count * sizeof(T));
        if (at)
            list.adopt(r.file(), reinterpret_cast<const T*>(at), count);
        return at != nullptr;
    }

    static void totals(Writer& w, const Totals& t) {
        for (std::int64_t v :
             {t.kills, t.deaths, t.hitSum, t.games, t.roundsFired, t.roundsTaken, t.wins})
            w.put(v);
    }
    static void totals(Reader& r, Totals& t) {
        for (std::int64_t* v :
             {&t.kills, &t.deaths, &t.hitSum, &t.games, &t.roundsFired, &t.roundsTaken, &t.wins})
            *v = r.get<std::int64_t>();
    }

    static bool read(Reader& r, SiteModel& m) {
        for (auto* list : {&m.texts_, &m.maps_}) {
            list->resize(r.count(4));
            for (QByteArray& t : *list)
                t = r.bytes();
        }
        const std::size_t games = r.count(sizeof(SiteGame));
        if (!runs(r, games, m.games_))
            return false;
        m.monthGames_.clear();
        for (std::size_t i = r.count(8); i > 0 && r.ok(); --i) {
            const auto month = r.get<std::int32_t>();
            m.monthGames_[month] = r.get<std::uint32_t>();
        }
        std::uint32_t nextRow = 0;
        for (std::size_t gi = 0; gi < games; ++gi) {
            const SiteGame& g = m.games_[gi];
            const bool inline_ = g.playedAtSize <= SiteGame::kInlineTime;
            if (!r.ok() || int(g.outcome) < 0 || g.outcome > TeamOutcome::RedWon || g.coop > 1 ||
                !below(g.map, m.maps_.size()) || !below(g.rules, m.texts_.size()) ||
                !below(g.elapsed, m.texts_.size()) || g.firstRow != nextRow ||
                g.rowCount > std::numeric_limits<std::uint32_t>::max() - nextRow || g.season < -1 ||
                !(g.season < std::int64_t(m.seasons_.size())) || g.week < 0 || g.month < 0 ||
                (!inline_ && (g.playedAtSize != SiteGame::kTimeInTexts ||
                              !below(g.playedAtText, m.texts_.size()))))
                return false;
            nextRow += g.rowCount;
        }
        const std::size_t rows = r.count(sizeof(SiteRow));
        if (rows != nextRow || !r.ok())
            return false;
        if (!runs(r, rows, m.rows_))
            return false;
        m.players_.resize(r.count(4 + 7 * 8 + 5 * 4));
        for (SitePlayer& p : m.players_) {
            p.name = r.bytes();
            totals(r, p.total);
            p.rank = r.get<std::uint32_t>();
            p.rankedCount = r.get<std::uint32_t>();
            p.firstGame = r.get<std::uint32_t>();
            p.lastGame = r.get<std::uint32_t>();
            p.lastRow = r.get<std::uint32_t>();
            if (!below(p.firstGame, m.games_.size()) || !below(p.lastGame, m.games_.size()))
                return false;
        }
        if (!r.ok() || !m.ratings_.restore(r.bytes()))
            return false;
        // Each row's link to the player's row before is what the rows themselves say.
        std::vector<std::uint32_t> lastRow(m.players_.size(), kNoRow);
        // Every row was just read, so all of them lie in the file: walked there directly.
        const SiteRow* row = m.rows_.kept();
        const SiteGame* game = m.games_.kept();
        const std::size_t players = m.players_.size(), texts = m.texts_.size();
        std::uint32_t* last = lastRow.data();
        for (std::uint32_t gi = 0; gi < games; ++gi) {
            for (std::uint32_t i = game[gi].firstRow; i < game[gi].firstRow + game[gi].rowCount;
                 ++i, ++row) {
                if ((row->game != gi) | (row->player >= players) | (row->team >= texts) |
                    (row->killedBy >= texts))
                    return false;
                if (row->previous != last[row->player])
                    return false;
                last[row->player] = i;
            }
        }
        for (std::size_t p = 0; p < m.players_.size(); ++p)
            if (m.players_[p].lastRow != lastRow[p])
                return false;
        m.mapTallies_.resize(m.maps_.size());
        m.mapPlayers_.resize(m.maps_.size());
        std::vector<bool> listed(m.players_.size()); // on the map at hand: each player once
        for (std::size_t map = 0; map < m.maps_.size(); ++map) {
            MapTally& t = m.mapTallies_[map];
            for (std::int64_t* v : {&t.blue, &t.gold, &t.seconds, &t.timed})
                *v = r.get<std::int64_t>();
            std::vector<MapPlayers::Entry> read(r.count(4 + 2 * 8));
            for (auto& [player, mp] : read) {
                player = r.get<std::uint32_t>();
                mp = {r.get<std::int64_t>(), r.get<std::int64_t>()};
                if (!below(player, m.players_.size()) || listed[player])
                    return false;
                listed[player] = true;
            }
            for (const auto& entry : read)
                listed[entry.first] = false;
            m.mapPlayers_[map].adopt(std::move(read));
        }
        for (int kind = 0; kind < 3; ++kind) {
            SiteModel::KeptWindow& k = m.kept_[kind];
            k.any = r.get<std::uint8_t>() != 0;
            k.key = {PeriodKind(kind), r.get<std::int32_t>()};
            k.totals.blue = r.get<std::int64_t>();
            k.totals.gold = r.get<std::int64_t>();
            const std::size_t n = r.count(4 + 7 * 8);
            k.totals.players.reserve(n);
            for (std::size_t i = 0; i < n; ++i) {
                const auto player = r.get<std::uint32_t>();
                Totals t;
                totals(r, t);
                if (!below(player, m.players_.size()) ||
                    !k.totals.players.try_emplace(player, t).second)
                    return false;
            }
        }
        return r.ok() && m.reindex();
    }
};

void saveSnapshot(const QString& folder, const SiteSnapshot& snapshot) {
    const QDir dir(folder);
    OutputFile file(dir.filePath(kScratch), 0644);
    Writer w(file);
    w.raw(kMagic.constData(), std::size_t(kMagic.size()));
    w.put(kFormat);
    w.put(kByteOrder);
    w.bytes(snapshot.basis);
    const Journal::GamesStamp& s = snapshot.stamp;
    w.put(s.throughEvent);
    w.put(s.games);
    w.put(s.lastMarking);
    w.bytes(s.identity);
    ModelCodec::write(w, *snapshot.model);
    const FinishedAwards& a = snapshot.awards;
    w.bytes(a.periods);
    w.put(std::uint64_t(a.games));
    w.put(std::uint64_t(a.won.size()));
    for (const AwardWon& won : a.won) {
        w.put(won.player);
        w.put(std::int32_t(won.period.kind));
        w.put(std::int32_t(won.period.value));
        w.text(won.title);
        w.text(won.value);
    }
    w.put(std::uint64_t(a.latest.size()));
    for (const auto& [period, awards] : a.latest) {
        w.put(std::int32_t(period.kind));
        w.put(std::int32_t(period.value));
        w.put(std::uint64_t(awards.size()));
        for (const Award& award : awards) {
            for (const QString* t :
                 {&award.title, &award.winner, &award.value, &award.runnerUp, &award.runnerUpValue})
                w.text(*t);
            for (const auto* p : {&award.winnerPlayer, &award.runnerUpPlayer})
                w.put(p->value_or(kNoPlayer));
        }
    }
    w.finish();
    file.commit();
    replaceFile(file.path(), dir.filePath(kModelFile), Durability::Deferred);
}

std::optional<SiteSnapshot> loadSnapshot(const QString& folder, const QByteArray& basis,
                                         const SitePeople& people,
                                         const std::vector<SiteSeason>& seasons) {
    const QString path = QDir(folder).filePath(kModelFile);
    int opened = -1;
    try {
        opened = openPlainFile(path, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    } catch (const Error&) {
        return std::nullopt; // not a plain file
    }
    const UniqueFd fd(opened);
    struct ::stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_size > kModelLimit)
        return std::nullopt;
    auto file = MappedFile::map(fd.get(), std::size_t(st.st_size));
    if (!file)
        return std::nullopt;
    Reader r(std::move(file));
    QByteArray magic(kMagic.size(), Qt::Uninitialized);
    r.raw(magic.data(), std::size_t(magic.size()));
    if (magic != kMagic || r.get<std::uint32_t>() != kFormat ||
        r.get<std::uint32_t>() != kByteOrder || r.bytes() != basis)
        return std::nullopt;
    SiteSnapshot snapshot;
    snapshot.basis = basis;
    Journal::GamesStamp& s = snapshot.stamp;
    s.throughEvent = r.get<std::int64_t>();
    s.games = r.get<std::int64_t>();
    s.lastMarking = r.get<std::int64_t>();
    s.identity = r.bytes();
    snapshot.model = std::make_unique<SiteModel>(people, seasons);
    if (!ModelCodec::read(r, *snapshot.model))
        return std::nullopt;
    FinishedAwards& a = snapshot.awards;
    a.periods = r.bytes();
    a.games = std::size_t(r.get<std::uint64_t>());
    a.won.resize(r.count(4 + 4 + 4 + 4 + 4));
    const std::size_t players = snapshot.model->players().size();
    for (AwardWon& won : a.won) {
        won.player = r.get<std::uint32_t>();
        const auto kind = r.get<std::int32_t>();
        won.period = {PeriodKind(kind), r.get<std::int32_t>()};
        won.title = r.text();
        won.value = r.text();
        if (!below(won.player, players) || kind < 0 || kind > int(PeriodKind::Season) ||
            (won.period.kind == PeriodKind::Season &&
             !below(won.period.value, snapshot.model->seasons().size())))
            return std::nullopt;
    }
    a.latest.resize(r.count(4 + 4 + 8));
    for (auto& [period, awards] : a.latest) {
        const auto kind = r.get<std::int32_t>();
        period = {PeriodKind(kind), r.get<std::int32_t>()};
        if (kind < 0 || kind > int(PeriodKind::Season))
            return std::nullopt;
        awards.resize(r.count(5 * 4 + 2 * 4));
        for (Award& award : awards) {
            for (QString* t :
                 {&award.title, &award.winner, &award.value, &award.runnerUp, &award.runnerUpValue})
                *t = r.text();
            for (auto* p : {&award.winnerPlayer, &award.runnerUpPlayer}) {
                const auto player = r.get<std::uint32_t>();
                if (player != kNoPlayer && !below(player, players))
                    return std::nullopt;
                if (player != kNoPlayer)
                    *p = player;
            }
        }
    }
    if (!r.finish())
        return std::nullopt;
    return snapshot;
}

} // namespace vantor::history::site
