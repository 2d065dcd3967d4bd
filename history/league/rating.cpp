#include "rating.h"

#include <QDataStream>
#include <QIODevice>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace vantor::history {

namespace {
constexpr double kScale = 173.7178;
constexpr double kBase = 1500;
constexpr double kStartDeviation = 350;
constexpr double kEpsilon = 0.000001;

double g(double phi) {
    return 1 / std::sqrt(1 + 3 * phi * phi / (std::numbers::pi * std::numbers::pi));
}

double expected(double mu, double muJ, double phiJ) {
    return 1 / (1 + std::exp(-g(phiJ) * (mu - muJ)));
}

// The deviation after idle rating periods, never beyond an unrated player's.
double grown(double phi, double sigma, std::int64_t periods) {
    const double widened = std::sqrt(phi * phi + double(periods) * sigma * sigma);
    return std::min(widened, kStartDeviation / kScale);
}

QDate dayOf(const QByteArray& playedAt) {
    return QDate::fromString(QString::fromLatin1(playedAt.left(10)), QStringLiteral("yyyy-MM-dd"));
}
} // namespace

double Rating::rating() const {
    return kScale * mu + kBase;
}

double Rating::deviation() const {
    return kScale * phi;
}

double Rating::deviationOn(QDate day) const {
    if (!lastDay.isValid() || !day.isValid() || day <= lastDay)
        return deviation();
    return kScale * grown(phi, sigma, lastDay.daysTo(day));
}

Rating unratedPlayer() {
    return Rating{};
}

Rating glicko2Update(const Rating& player, const std::vector<Opponent>& opponents, double tau) {
    double vInverse = 0;
    double improvement = 0;
    for (const Opponent& o : opponents) {
        const double e = expected(player.mu, o.mu, o.phi);
        vInverse += g(o.phi) * g(o.phi) * e * (1 - e);
        improvement += g(o.phi) * (o.score - e);
    }
    const double v = 1 / vInverse;
    const double delta = v * improvement;
    const double phi2 = player.phi * player.phi;

    // The new volatility: the root of f by the Illinois method, as published.
    const double a = std::log(player.sigma * player.sigma);
    const auto f = [&](double x) {
        const double ex = std::exp(x);
        const double d = phi2 + v + ex;
        return ex * (delta * delta - phi2 - v - ex) / (2 * d * d) - (x - a) / (tau * tau);
    };
    double lowA = a;
    double highB;
    if (delta * delta > phi2 + v) {
        highB = std::log(delta * delta - phi2 - v);
    } else {
        int k = 1;
        while (f(a - k * tau) < 0)
            ++k;
        highB = a - k * tau;
    }
    double fA = f(lowA);
    double fB = f(highB);
    while (std::fabs(highB - lowA) > kEpsilon) {
        const double c = lowA + (lowA - highB) * fA / (fB - fA);
        const double fC = f(c);
        if (fC * fB <= 0) {
            lowA = highB;
            fA = fB;
        } else {
            fA = fA / 2;
        }
        highB = c;
        fB = fC;
    }
    Rating out = player;
    out.sigma = std::exp(lowA / 2);
    const double phiStar = std::sqrt(phi2 + out.sigma * out.sigma);
    out.phi = 1 / std::sqrt(1 / (phiStar * phiStar) + 1 / v);
    out.mu = player.mu + out.phi * out.phi * improvement;
    out.games = player.games + 1;
    return out;
}

std::vector<RatingChange> RatingBook::add(const GameRow& game) {
    if (game.undone || game.outcome == TeamOutcome::Unknown)
        return {};
    const QDate day = dayOf(game.playedAt);
    struct Side {
        std::vector<RatingChange> players;
        double muSum = 0;
        double phiSquares = 0;
    } blue, gold;
    for (const PlayerGameRow& row : game.players) {
        Side* side = row.team == "blue" ? &blue : row.team == "gold" ? &gold : nullptr;
        if (!side)
            continue;
        RatingChange c;
        c.gameId = game.id;
        c.name = countedName(aliases_, row.name);
        const auto it = ratings_.constFind(c.name);
        c.before = it == ratings_.cend() ? unratedPlayer() : *it;
        if (c.before.lastDay.isValid() && day.isValid() && day > c.before.lastDay)
            c.before.phi = grown(c.before.phi, c.before.sigma, c.before.lastDay.daysTo(day) - 1);
        side->muSum += c.before.mu;
        side->phiSquares += c.before.phi * c.before.phi;
        side->players.push_back(std::move(c));
    }
    if (blue.players.empty() || gold.players.empty())
        return {};
    const bool blueWon = game.outcome == TeamOutcome::BlueWon;
    std::vector<RatingChange> changes;
    for (Side* side : {&blue, &gold}) {
        const Side& other = side == &blue ? gold : blue;
        const double n = double(other.players.size());
        const bool won = (side == &blue) == blueWon;
        const Opponent opponent{other.muSum / n, std::sqrt(other.phiSquares / n), won ? 1.0 : 0.0};
        for (RatingChange& c : side->players) {
            c.won = won;
            c.after = glicko2Update(c.before, {opponent}, kTau);
            c.after.lastDay = day.isValid() ? day : c.before.lastDay;
            changes.push_back(std::move(c));
        }
    }
    // Stored only now, so every player of the game met the ratings it started with.
    for (const RatingChange& c : changes)
        ratings_.insert(c.name, c.after);
    return changes;
}

const Rating* RatingBook::find(const QByteArray& name) const {
    const auto it = ratings_.constFind(name);
    return it == ratings_.cend() ? nullptr : &*it;
}

QByteArray RatingBook::state() const {
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setFloatingPointPrecision(QDataStream::DoublePrecision);
    s << quint32(ratings_.size());
    for (auto it = ratings_.cbegin(); it != ratings_.cend(); ++it)
        s << it.key() << it->mu << it->phi << it->sigma << qint64(it->games)
          << qint64(it->lastDay.isValid() ? it->lastDay.toJulianDay() : 0);
    return out;
}

bool RatingBook::restore(const QByteArray& state) {
    QDataStream s(state);
    s.setFloatingPointPrecision(QDataStream::DoublePrecision);
    quint32 count = 0;
    s >> count;
    QHash<QByteArray, Rating> read;
    // Each entry takes more than 40 bytes: no more room than the state can fill.
    read.reserve(qsizetype(std::min<quint64>(count, quint64(state.size()) / 40)));
    for (quint32 i = 0; i < count && s.status() == QDataStream::Ok; ++i) {
        QByteArray name;
        Rating r;
        qint64 games = 0, day = 0;
        s >> name >> r.mu >> r.phi >> r.sigma >> games >> day;
        r.games = games;
        if (day != 0)
            r.lastDay = QDate::fromJulianDay(day);
        read.insert(name, r);
    }
    if (s.status() != QDataStream::Ok || !s.atEnd() || read.size() != qsizetype(count))
        return false;
    ratings_ = std::move(read);
    return true;
}

} // namespace vantor::history
