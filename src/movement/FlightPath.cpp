#include "movement/FlightPath.h"

#include <algorithm>
#include <cmath>

namespace korvane {

void LinePoint(float x1, float y1, float x2, float y2, float t, float& x, float& y) {
    x = std::floor((x2 - x1) * t + x1 + 0.5f);
    y = std::floor((y2 - y1) * t + y1 + 0.5f);
}

void CurvePoint(float& x, float& y, float t, const std::vector<float>& px,
                const std::vector<float>& py, const std::vector<double>& coef) {
    x = 0;
    y = 0;
    const std::size_t count = std::min({px.size(), py.size(), coef.size()});
    if (count == 0) {
        return;
    }
    const int n = static_cast<int>(count) - 1;
    const double td = t;
    for (int i = 0; i <= n; ++i) {
        // std::pow(0.0, 0) is 1, which is what the end points need.
        const double b =
            std::pow(td, i) * coef[static_cast<std::size_t>(i)] * std::pow(1.0 - td, n - i);
        x = static_cast<float>(x + px[static_cast<std::size_t>(i)] * b);
        y = static_cast<float>(y + py[static_cast<std::size_t>(i)] * b);
    }
}

std::vector<double> BinomialCoefficients(int n) {
    if (n < 0) {
        return {};
    }
    std::vector<double> coef(static_cast<std::size_t>(n) + 1, 1.0);
    for (int i = 1; i < n; ++i) {
        coef[static_cast<std::size_t>(i)] = coef[static_cast<std::size_t>(i) - 1] * (n - i + 1) / i;
    }
    return coef;
}

void FindEndPoint(int32_t X, int32_t Y, float m, int32_t& mX, int32_t& mY, int32_t dragWidth,
                  int32_t dragHeight, int32_t spacing) {
    const int64_t xEdge = X >= 0 ? int64_t{X} + spacing : int64_t{X} - dragWidth - spacing;
    const int64_t yEdge = Y >= 0 ? int64_t{Y} + spacing : int64_t{Y} - dragHeight - spacing;
    const double slope = std::isnan(m) ? 0.0 : static_cast<double>(m);
    const double a = static_cast<double>(yEdge) / slope; // across to reach the horizontal edge
    const double b = slope * static_cast<double>(xEdge); // down to reach the vertical edge
    // Written so that a level flight (a infinite or undefined) meets the vertical edge.
    if (!(std::fabs(a) <= std::fabs(static_cast<double>(xEdge)))) {
        mX = static_cast<int32_t>(std::clamp<int64_t>(xEdge, INT32_MIN, INT32_MAX));
        mY = RoundHalfEven(std::isnan(b) ? 0.0 : b);
    } else {
        mX = RoundHalfEven(a);
        mY = static_cast<int32_t>(std::clamp<int64_t>(yEdge, INT32_MIN, INT32_MAX));
    }
}

int FlightSettingsIndex(const GameInfo& game) {
    if (game.GameState == State::Penalty) {
        return 0;
    }
    const std::size_t c = game.CurrentPlayer;
    if (c < game.Player.size() && c < game.PlayerCount && game.Player[c].Computer) {
        return 1;
    }
    return 0;
}

FlightOptions FlightOptionsFor(const GameInfo& game) {
    const auto i = static_cast<std::size_t>(FlightSettingsIndex(game));
    FlightOptions o;
    o.step = game.MoveStep[i];
    o.wait = game.MoveSpeed[i];
    o.straightPath = game.StraightPath;
    o.pathPoints = game.PathPoints;
    return o;
}

FlightPlan PlanFlight(float cX, float cY, float dx, float dy, const FlightOptions& options,
                      int32_t clientW, int32_t clientH, const RandomSource& random) {
    FlightPlan plan;
    const float dist = std::sqrt((cX - dx) * (cX - dx) + (cY - dy) * (cY - dy));
    if (!(dist > 0.0f) || !std::isfinite(dist)) {
        return plan;
    }
    // A step below 1 comes only from a damaged saved game and would never advance.
    const float step = static_cast<float>(std::max(options.step, 1));

    if (options.pathPoints >= 1 && !options.straightPath && random) {
        const int n = options.pathPoints + 1;
        std::vector<float> px(static_cast<std::size_t>(n) + 1);
        std::vector<float> py(static_cast<std::size_t>(n) + 1);
        px.front() = cX;
        py.front() = cY;
        for (int k = 1; k < n; ++k) {
            // Drawn one after the other, x first: the order of draws is part of a replay.
            px[static_cast<std::size_t>(k)] = static_cast<float>(random(0, clientW));
            py[static_cast<std::size_t>(k)] = static_cast<float>(random(0, clientH));
        }
        px.back() = dx;
        py.back() = dy;
        for (std::size_t k = 0; k < px.size(); ++k) {
            plan.controls.push_back({px[k], py[k]});
        }
        const float length = (std::sqrt(static_cast<float>(options.pathPoints)) + 1.0f) * dist;
        const std::vector<double> coef = BinomialCoefficients(n);
        // Counting steps instead of adding up s keeps the count exact for long paths.
        const auto steps = static_cast<int64_t>(std::floor(length / step));
        plan.points.reserve(static_cast<std::size_t>(steps) + 2);
        for (int64_t k = 0; k <= steps; ++k) {
            const float s = static_cast<float>(k) * step;
            FlightPoint p;
            CurvePoint(p.x, p.y, s / length, px, py, coef);
            plan.points.push_back(p);
        }
    } else {
        const auto steps = static_cast<int64_t>(std::floor(dist / step));
        plan.points.reserve(static_cast<std::size_t>(steps) + 2);
        for (int64_t k = 0; k <= steps; ++k) {
            const float s = static_cast<float>(k) * step;
            FlightPoint p;
            LinePoint(cX, cY, dx, dy, s / dist, p.x, p.y);
            plan.points.push_back(p);
        }
    }
    plan.points.push_back({dx, dy});
    return plan;
}

FlightPoint CardShowEndPoint(int32_t x0, int32_t y0, int32_t clientW, int32_t clientH,
                             int32_t dragWidth, int32_t dragHeight, const RandomSource& random,
                             int32_t spacing) {
    clientW = std::max(clientW, 0);
    clientH = std::max(clientH, 0);
    // A target differing from the start must exist, or the draws would never end: a client area
    // of no width (or height) with the card on its only column (row) offers none.
    const bool xPossible = clientW > 0 || x0 != 0;
    const bool yPossible = clientH > 0 || y0 != 0;
    int32_t x1 = x0 + 1;
    int32_t y1 = y0 + 1;
    if (xPossible && yPossible && random) {
        do {
            x1 = random(0, clientW);
            y1 = random(0, clientH);
        } while (x1 == x0 || y1 == y0);
    }
    const float m = static_cast<float>(y1 - y0) / static_cast<float>(x1 - x0);
    const int32_t X = x1 < x0 ? -x0 : clientW - x0;
    const int32_t Y = y1 < y0 ? -y0 : clientH - y0;
    int32_t mX = 0;
    int32_t mY = 0;
    FindEndPoint(X, Y, m, mX, mY, dragWidth, dragHeight, spacing);
    return {static_cast<float>(x0 + mX), static_cast<float>(y0 + mY)};
}

} // namespace korvane
