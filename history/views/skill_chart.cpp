#include "skill_chart.h"

#include "view_text.h"

#include <algorithm>
#include <cmath>

namespace vantor::history {

namespace {

constexpr double kWidth = 760;
constexpr double kLeft = 90;  // room for ten-digit tick labels
constexpr double kRight = 44; // half a date label past the last game
constexpr double kPlotHeight = 170;
constexpr double kPanelGap = 66; // the game labels of the upper panel, the lower title
constexpr double kTop = 36;
constexpr int kMaxGameTicks = 6;

// A value range with round tick steps that always holds zero, so a bar of 0 and negative
// skill points read at a glance.
struct Scale {
    double lo = 0, hi = 1, step = 1;

    static Scale around(std::int64_t minValue, std::int64_t maxValue) {
        Scale s;
        double lo = std::min<double>(0, double(minValue));
        double hi = std::max<double>(0, double(maxValue));
        if (hi <= lo)
            hi = lo + 1;
        const double raw = (hi - lo) / 4;
        const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
        const double norm = raw / magnitude;
        const double nice = norm <= 1 ? 1 : norm <= 2 ? 2 : norm <= 5 ? 5 : 10;
        s.step = std::max(1.0, nice * magnitude);
        s.lo = std::floor(lo / s.step) * s.step;
        s.hi = std::ceil(hi / s.step) * s.step;
        return s;
    }
};

QByteArray num(double v) {
    return QByteArray::number(v, 'f', 1);
}

class Panel {
public:
    Panel(double top, Scale scale) : top_(top), scale_(scale) {}
    double y(double value) const {
        return top_ + (scale_.hi - value) / (scale_.hi - scale_.lo) * kPlotHeight;
    }
    double top() const { return top_; }
    double bottom() const { return top_ + kPlotHeight; }
    const Scale& scale() const { return scale_; }

private:
    double top_;
    Scale scale_;
};

double gameX(std::size_t index, std::size_t count) {
    const double plotWidth = kWidth - kLeft - kRight;
    if (count < 2)
        return kLeft + plotWidth / 2;
    return kLeft + plotWidth * double(index) / double(count - 1);
}

void drawFrame(QByteArray& svg, const Panel& panel, const char* title) {
    svg += "<text class=\"axis-title\" x=\"" + num(kLeft) + "\" y=\"" + num(panel.top() - 10) +
           "\" fill=\"#FFFFFF\" font-size=\"13\">" + title + "</text>";
    const Scale& s = panel.scale();
    const int ticks = int(std::llround((s.hi - s.lo) / s.step));
    for (int i = 0; i <= ticks; ++i) {
        const double value = s.lo + s.step * i;
        const double y = panel.y(value);
        const bool zero = value == 0 && s.lo < 0;
        svg += "<line x1=\"" + num(kLeft) + "\" y1=\"" + num(y) + "\" x2=\"" +
               num(kWidth - kRight) + "\" y2=\"" + num(y) + "\" stroke=\"" +
               (zero ? "#C0C0C0\" stroke-dasharray=\"4 3" : "#404040") + "\"/>";
        svg += "<text class=\"tick\" x=\"" + num(kLeft - 8) + "\" y=\"" + num(y + 4) +
               "\" text-anchor=\"end\" fill=\"#C0C0C0\" font-size=\"11\">" +
               QByteArray::number(qint64(std::llround(value))) + "</text>";
    }
    svg += "<line x1=\"" + num(kLeft) + "\" y1=\"" + num(panel.top()) + "\" x2=\"" + num(kLeft) +
           "\" y2=\"" + num(panel.bottom()) + "\" stroke=\"#808080\"/>";
    svg += "<line x1=\"" + num(kLeft) + "\" y1=\"" + num(panel.bottom()) + "\" x2=\"" +
           num(kWidth - kRight) + "\" y2=\"" + num(panel.bottom()) + "\" stroke=\"#808080\"/>";
}

template <class Value>
void drawSeries(QByteArray& svg, const Panel& panel, const std::vector<ChartGame>& games,
                const char* cls, const char* colour, const char* unit, Value value) {
    const std::size_t n = games.size();
    const double radius = n <= 60 ? 3.5 : n <= 300 ? 2.2 : 1.3;
    svg += QByteArray("<g class=\"series ") + cls + "\">";
    if (n > 1) {
        svg += "<polyline fill=\"none\" stroke=\"" + QByteArray(colour) +
               "\" stroke-width=\"1.2\" points=\"";
        for (std::size_t i = 0; i < n; ++i)
            svg += num(gameX(i, n)) + ',' + num(panel.y(double(value(games[i])))) + ' ';
        svg += "\"/>";
    }
    for (std::size_t i = 0; i < n; ++i) {
        const ChartGame& g = games[i];
        svg += QByteArray("<circle class=\"") + cls + "\" cx=\"" + num(gameX(i, n)) + "\" cy=\"" +
               num(panel.y(double(value(g)))) + "\" r=\"" + num(radius) + "\" fill=\"" + colour +
               "\"><title>Game " + QByteArray::number(qint64(g.id)) + ", " +
               htmlEscaped(g.playedAt).toUtf8() + ": " + QByteArray::number(qint64(value(g))) +
               ' ' + unit + "</title></circle>";
    }
    svg += "</g>";
}

void drawGameAxis(QByteArray& svg, const std::vector<ChartGame>& games, double top, double bottom,
                  bool withTitle) {
    const std::size_t n = games.size();
    const std::size_t ticks = std::min<std::size_t>(n, kMaxGameTicks);
    std::size_t last = n; // no index is n: the first tick is always drawn
    for (std::size_t k = 0; k < ticks; ++k) {
        const std::size_t i =
            ticks < 2 ? 0
                      : std::size_t(std::llround(double(k) * double(n - 1) / double(ticks - 1)));
        if (i == last)
            continue;
        last = i;
        const double x = gameX(i, n);
        svg += "<line x1=\"" + num(x) + "\" y1=\"" + num(top) + "\" x2=\"" + num(x) + "\" y2=\"" +
               num(bottom + 4) + "\" stroke=\"#303030\"/>";
        svg += "<text class=\"game-tick\" x=\"" + num(x) + "\" y=\"" + num(bottom + 18) +
               "\" text-anchor=\"middle\" fill=\"#C0C0C0\" font-size=\"11\">#" +
               QByteArray::number(qint64(games[i].id)) + "<tspan x=\"" + num(x) + "\" dy=\"14\">" +
               htmlEscaped(games[i].playedAt.left(10)).toUtf8() + "</tspan></text>";
    }
    if (!withTitle)
        return;
    svg += "<text class=\"axis-title\" x=\"" + num(kLeft + (kWidth - kLeft - kRight) / 2) +
           "\" y=\"" + num(bottom + 52) +
           "\" text-anchor=\"middle\" fill=\"#FFFFFF\" font-size=\"12\">Games, oldest to newest "
           "(game id and date)</text>";
}

} // namespace

QByteArray skillChartSvg(const std::vector<ChartGame>& games) {
    if (games.empty())
        return {};
    std::int64_t minSkill = 0, maxSkill = 0, minKills = 0, maxKills = 0;
    for (const ChartGame& g : games) {
        minSkill = std::min(minSkill, g.skillPoints);
        maxSkill = std::max(maxSkill, g.skillPoints);
        minKills = std::min(minKills, g.kills);
        maxKills = std::max(maxKills, g.kills);
    }
    const Panel skill(kTop, Scale::around(minSkill, maxSkill));
    const Panel kills(skill.bottom() + kPanelGap, Scale::around(minKills, maxKills));
    const double height = kills.bottom() + 64;

    QByteArray svg;
    svg.reserve(qsizetype(games.size()) * 260 + 4096);
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"chart\" width=\"" + num(kWidth) +
           "\" height=\"" + num(height) + "\" viewBox=\"0 0 " + num(kWidth) + ' ' + num(height) +
           "\" role=\"img\" aria-label=\"Skill points and kills per game\" "
           "font-family=\"Verdana, sans-serif\">";
    svg += "<title>Skill points and kills per game</title>";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#000000\"/>";
    drawFrame(svg, skill, "Skill points per game");
    drawFrame(svg, kills, "Kills per game");
    drawGameAxis(svg, games, skill.top(), skill.bottom(), false);
    drawGameAxis(svg, games, kills.top(), kills.bottom(), true);
    drawSeries(svg, skill, games, "skill", "#00FF00", "skill points",
               [](const ChartGame& g) { return g.skillPoints; });
    drawSeries(svg, kills, games, "kills", "#FFFF00", "kills",
               [](const ChartGame& g) { return g.kills; });
    svg += "</svg>";
    return svg;
}

} // namespace vantor::history
