#include "table/TableLayout.h"

#include <algorithm>
#include <cmath>

namespace korvane::layout {

PanelLayout SizeFrames(bool OnTop, Size pile, int labelHeight, int spacing) {
    const int S = spacing;
    PanelLayout p;
    p.closed = {S, 0, pile.w, pile.h};
    p.open = {p.closed.Right() + S, 0, pile.w, pile.h};
    p.label = {S, 0, 2 * pile.w + S, labelHeight};
    if (OnTop) {
        p.label.y = S;
        p.closed.y = p.open.y = S + labelHeight + S;
    } else {
        p.closed.y = p.open.y = S;
        p.label.y = S + pile.h + S;
    }
    p.panel = {2 * pile.w + 3 * S, pile.h + 3 * S + labelHeight};
    return p;
}

int SuitBandHeight(Size pile, int spacing) {
    return pile.h + 2 * spacing;
}

Size MinimumClient(int n, Size panel, int bandHeight, int spacing) {
    const int t = TopSeats(n);
    return {t * panel.w + (t + 1) * spacing, 2 * panel.h + bandHeight + 4 * spacing};
}

ResizeDecision DecideResize(Size room, int statusHeight, Size minimum, bool maximised) {
    const Size below{room.w, room.h - statusHeight};
    if (!maximised) {
        const Size client{std::max(below.w, minimum.w), std::max(below.h, minimum.h)};
        return {false, true, client, {client.w - below.w, client.h - below.h}};
    }
    // A maximised window cannot grow: the status line yields its room before the table does.
    if (Fits(minimum, below))
        return {false, true, below, {}};
    return {!Fits(minimum, room), false, room, {}};
}

namespace {

// Spreads count panels of width w over width W with equal gaps at both ends and between them.
// What integer division leaves over goes to the last gap.
void PlaceRow(std::array<Point, MaxSeats>& out, int first, int count, int W, int w, int top) {
    if (count <= 0)
        return;
    const int gap = std::max(0, (W - count * w) / (count + 1));
    for (int k = 0; k < count; ++k)
        out[first + k] = {(w + gap) * k + gap, top};
}

} // namespace

TablePlacement PlaceTable(int n, Size client, Size panel, int bandHeight, int pileWidth,
                          int spacing) {
    const int S = spacing;
    n = std::clamp(n, 0, MaxSeats);
    TablePlacement t;
    // Half the free height on each side of the band, so the band sits midway between the rows.
    const int e = std::max(0, (client.h - 2 * panel.h - bandHeight - 4 * S) / 2);
    t.band = {0, panel.h + 2 * S + e, client.w, bandHeight};
    const int g = std::max(0, (client.w - SuitPiles * pileWidth) / (SuitPiles + 1));
    for (int i = 0; i < SuitPiles; ++i)
        t.suitLeft[i] = (pileWidth + g) * i + g;
    t.suitTop = S;
    const int top = TopSeats(n);
    PlaceRow(t.panel, 0, top, client.w, panel.w, S);
    PlaceRow(t.panel, top, BottomSeats(n), client.w, panel.w, client.h - panel.h - S);
    return t;
}

int Zoomed(int v, double z) {
    return static_cast<int>(std::lround(v * z));
}

double LabelPointsAt(double z) {
    return std::max(LabelPoints * z, MinLabelPoints);
}

Size MinimumClientAt(int n, Size card, int labelHeight, double z) {
    const Size pile{Zoomed(card.w, z), Zoomed(card.h, z)};
    const int gap = Zoomed(Spacing, z);
    const PanelLayout p = SizeFrames(true, pile, labelHeight, gap);
    return MinimumClient(n, p.panel, SuitBandHeight(pile, gap), gap);
}

double ZoomToFit(Size client, const std::function<Size(double)>& minimumAt) {
    // Hundredths of a step: finer than the eye sees, coarse enough that a resize by a pixel
    // mostly keeps the zoom and its images.
    int lo = Zoomed(100, MinZoom);
    int hi = Zoomed(100, MaxZoom);
    const auto fits = [&](int k) { return Fits(minimumAt(k / 100.0), client); };
    if (!fits(lo))
        return MinZoom;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (fits(mid))
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo / 100.0;
}

std::optional<double> NextZoom(double zoom, int direction) {
    // A fitted zoom lies between steps: the next step is the first one past it.
    constexpr double slack = 1e-9;
    if (direction > 0) {
        const auto next = std::find_if(ZoomSteps.begin(), ZoomSteps.end(),
                                       [&](double step) { return step > zoom + slack; });
        return next == ZoomSteps.end() ? std::nullopt : std::optional<double>(*next);
    }
    if (direction < 0) {
        const auto below = std::find_if(ZoomSteps.rbegin(), ZoomSteps.rend(),
                                        [&](double step) { return step < zoom - slack; });
        return below == ZoomSteps.rend() ? std::nullopt : std::optional<double>(*below);
    }
    return 1.0;
}

ZoomReach ReachFrom(double zoom, Size room, const std::function<Size(double)>& minimumAt) {
    const std::optional<double> in = NextZoom(zoom, 1);
    return {in && Fits(minimumAt(*in), room), NextZoom(zoom, -1).has_value()};
}

} // namespace korvane::layout
