#include "generator/boardgen.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace trevok::bench
{

namespace
{

constexpr std::int32_t kClearance = 40;
constexpr std::int32_t kPitch = 254; // 0.1 inch

class Builder
{
  public:
    Builder(std::size_t count, std::uint32_t seed, int width, int height)
        : target_(count), rng_(seed), w_(std::max(width, 2000)), h_(std::max(height, 2000))
    {
    }

    ElementList run()
    {
        while (list_.size() < target_) {
            const std::size_t left = target_ - list_.size();
            const int pick = uniform(0, 99);
            if (pick < 12 && left >= 60)
                dip();
            else if (pick < 25 && left >= 60)
                smd();
            else if (pick < 75 && pads_.size() >= 2)
                trackBetweenPads();
            else if (pick < 79)
                circle();
            else if (pick < 80)
                area(false);
            else if (pick < 86)
                layoutText();
            else if (left >= 2)
                via();
            else
                circle();
        }
        if (!restrictedMade_ && !list_.empty()) {
            // Turn the last area (or, failing that, nothing) into the one restricted area.
            for (auto it = list_.rbegin(); it != list_.rend(); ++it)
                if ((*it)->Kind == KindArea) {
                    (*it)->Restricted = 1;
                    (*it)->Layer = LayerK1;
                    break;
                }
        }
        connect();
        return std::move(list_);
    }

  private:
    int uniform(int lo, int hi)
    {
        return lo + static_cast<int>(rng_() % static_cast<std::uint32_t>(hi - lo + 1));
    }
    bool chance(int percent) { return uniform(0, 99) < percent; }
    // A position on the board, on a 0.05 inch raster like hand-placed parts, kept `margin` from the edge.
    TPoint place(int margin)
    {
        const int cols = std::max(1, (w_ - 2 * margin) / 127);
        const int rows = std::max(1, (h_ - 2 * margin) / 127);
        return {margin + uniform(0, cols) * 127, -(margin + uniform(0, rows) * 127)};
    }
    TObjekt& add(std::unique_ptr<TObjekt> e)
    {
        e->Clearance = kClearance;
        list_.push_back(std::move(e));
        return *list_.back();
    }
    void group(std::size_t from)
    {
        ++groupId_;
        for (std::size_t i = from; i < list_.size(); ++i)
            AddGroup(*list_[i], groupId_);
    }
    void outline(TPoint a, TPoint b, std::uint8_t layer, bool asLines)
    {
        const TPoint c[4] = {a, {b.x, a.y}, b, {a.x, b.y}};
        if (asLines) {
            for (int i = 0; i < 4; ++i) {
                auto l = std::make_unique<TObjekt>();
                l->Kind = KindLine;
                l->Layer = layer;
                l->X = c[i].x;
                l->Y = c[i].y;
                l->Size1 = c[(i + 1) % 4].x;
                l->Size2 = c[(i + 1) % 4].y;
                l->Width = 20;
                NormalizeLine(*l);
                add(std::move(l));
            }
        } else {
            auto t = NewTrack(20, layer);
            for (int i = 0; i <= 4; ++i)
                AddPoint(*t, c[i % 4]);
            add(std::move(t));
        }
    }

    // Through-hole dual-in-line part: pads on copper side 2 with plated twins on side 1.
    void dip()
    {
        const std::size_t first = list_.size();
        const int perRow = uniform(4, 10); // 8 to 20 pins, 2 elements each
        const int rowGap = chance(70) ? 3 * kPitch : 6 * kPitch;
        const TPoint o = place(rowGap + 400);
        const std::int32_t radius = uniform(55, 80);
        const std::int32_t drill = uniform(30, 45);
        for (int row = 0; row < 2; ++row)
            for (int i = 0; i < perRow; ++i) {
                const TPoint c{o.x + i * kPitch, o.y - row * rowGap};
                const std::uint8_t shape =
                    i == 0 && row == 0 ? ShapeSquare : (chance(50) ? ShapeRound : ShapeOctagon);
                TObjekt& bottom = add(NewPad(c, radius, shape, LayerK2, drill));
                TObjekt& top = add(NewPad(c, radius, shape, LayerK1, drill));
                bottom.Twin = &top;
                top.Twin = &bottom;
                pads_.push_back(list_.size() - 2);
                pads_.push_back(list_.size() - 1);
            }
        outline({o.x - 150, o.y + 150}, {o.x + (perRow - 1) * kPitch + 150, o.y - rowGap - 150}, LayerB1,
                chance(50));
        group(first);
        for (int k = 0; k < perRow; ++k)
            trackBetweenPads();
    }

    // Surface-mount part: two rows of SMD pads on one side with its print outline.
    void smd()
    {
        const std::size_t first = list_.size();
        const bool side1 = chance(75);
        const std::uint8_t copper = side1 ? LayerK1 : LayerK2;
        const int perRow = uniform(2, 16);
        const std::int32_t pitch = chance(50) ? 127 : 65;
        const std::int32_t padW = pitch / 2 + 10;
        const std::int32_t padH = uniform(120, 200);
        const std::int32_t span = uniform(400, 700);
        const TPoint o = place(span + 300);
        for (int row = 0; row < 2; ++row)
            for (int i = 0; i < perRow; ++i) {
                add(NewSmdPad({o.x + i * pitch, o.y - row * span}, padW, copper, padH));
                pads_.push_back(list_.size() - 1);
            }
        outline({o.x - 100, o.y - padH / 2 - 60},
                {o.x + (perRow - 1) * pitch + 100, o.y - span + padH / 2 + 60}, side1 ? LayerB1 : LayerB2,
                chance(30));
        group(first);
        for (int k = 0; k < perRow; ++k)
            trackBetweenPads();
    }

    // A track of 2 to 6 nodes from a recent pad to another one near it (or, when none of a few
    // picks is near, a short stub), on the copper layer of the first.
    void trackBetweenPads()
    {
        const int recent = static_cast<int>(std::min<std::size_t>(pads_.size(), 120));
        const TObjekt& a = *list_[pads_[pads_.size() - 1 - uniform(0, recent - 1)]];
        TPoint end{a.X + uniform(-8, 8) * 127, a.Y + uniform(-8, 8) * 127};
        for (int attempt = 0; attempt < 10; ++attempt) {
            const TObjekt& b = *list_[pads_[pads_.size() - 1 - uniform(0, recent - 1)]];
            if (&b != &a && std::abs(b.X - a.X) < 3000 && std::abs(b.Y - a.Y) < 3000) {
                end = {b.X, b.Y};
                break;
            }
        }
        const struct {
            std::int32_t X, Y;
        } b{std::clamp(end.x, 0, w_), std::clamp(end.y, -h_, 0)};
        auto t = NewTrack(uniform(2, 8) * 10, a.Layer);
        const int nodes = uniform(2, 6);
        AddPoint(*t, {a.X, a.Y});
        // Legs of 0, 45 and 90 degrees as routed tracks have; only the last one may run at
        // any angle.
        TPoint cur{a.X, a.Y};
        for (int k = 1; k + 1 < nodes; ++k) {
            const std::int32_t dx = b.X - cur.x;
            const std::int32_t dy = b.Y - cur.y;
            const std::int32_t sx = dx >= 0 ? 1 : -1;
            const std::int32_t sy = dy >= 0 ? 1 : -1;
            switch (uniform(0, 2)) {
            case 0:
                cur.x += dx / 2;
                break;
            case 1:
                cur.y += dy / 2;
                break;
            default: {
                const std::int32_t d = std::min(std::abs(dx), std::abs(dy)) / 2;
                cur.x += sx * d;
                cur.y += sy * d;
            }
            }
            AddPoint(*t, cur);
        }
        AddPoint(*t, {b.X, b.Y});
        add(std::move(t));
    }

    // A plated via: two small round pads, one per copper side.
    void via()
    {
        const TPoint c = place(200);
        TObjekt& a = add(NewPad(c, 35, ShapeRound, LayerK1, 15));
        TObjekt& b = add(NewPad(c, 35, ShapeRound, LayerK2, 15));
        a.Twin = &b;
        b.Twin = &a;
    }

    void circle()
    {
        const std::int32_t outer = uniform(60, 600);
        const TPoint c = place(outer + 100);
        const std::uint8_t layer = static_cast<std::uint8_t>(uniform(1, 4));
        TObjekt& e = add(NewCircle(c, outer, ShapeRound, layer, outer - uniform(10, 40)));
        if (chance(40)) { // an arc
            e.Angle = uniform(0, 23) * 15;
            e.Width = uniform(0, 23) * 15;
        }
        if (chance(15)) {
            e.Filled = 1;
            e.Size2 = chance(50) ? 0 : outer / 2;
        }
    }

    void area(bool restricted)
    {
        const int n = uniform(3, 8);
        const int size = uniform(300, 1500);
        const TPoint c = place(size + 100);
        const std::uint8_t layer = restricted || chance(50) ? LayerK1 : LayerK2;
        auto a = NewArea(20, layer);
        for (int k = 0; k < n; ++k) {
            const double ang = 2 * std::numbers::pi * k / n;
            const double r = size * (0.6 + 0.4 * uniform(0, 100) / 100.0);
            AddPoint(*a, {c.x + RoundHalfEven(r * std::cos(ang)), c.y + RoundHalfEven(r * std::sin(ang))});
        }
        AddPoint(*a, a->Points.front()); // closed the way the area tool stores it
        a->Restricted = restricted ? 1 : 0;
        add(std::move(a));
        if (!restricted && !restrictedMade_ && chance(30)) {
            restrictedMade_ = true;
            list_.back()->Restricted = 1;
            list_.back()->Layer = LayerK1;
        }
    }

    // A layout text whose strokes are made here: each character two or three short tracks in
    // a box of the character height.
    void layoutText()
    {
        const int chars = uniform(3, 8);
        const std::int32_t height = uniform(8, 20) * 10;
        const TPoint o = place(chars * height + 200);
        std::string text;
        for (int k = 0; k < chars; ++k)
            text.push_back(static_cast<char>('A' + uniform(0, 25)));
        const std::uint8_t layer = chance(70) ? LayerB1 : LayerK1;
        auto t = NewLayoutText(o, text, false, false, layer, 0, 1, 1, height);
        const std::int32_t stroke = std::max(10, height / 8);
        for (int k = 0; k < chars; ++k) {
            const std::int32_t x0 = o.x + k * (height * 3 / 4);
            for (int s = uniform(2, 3); s > 0; --s) {
                TObjekt st = *NewTrack(stroke, layer);
                st.Clearance = kClearance;
                for (int n = uniform(2, 4); n > 0; --n)
                    AddPoint(st, {x0 + uniform(0, 4) * height / 8, o.y + uniform(0, 8) * height / 8});
                t->Strokes.push_back(std::move(st));
            }
        }
        add(std::move(t));
    }

    // Rubber bands between some pads, held on both sides.
    void connect()
    {
        for (std::size_t k = 0; k + 1 < pads_.size(); k += 3) {
            if (!chance(40))
                continue;
            const std::size_t other = pads_[uniform(0, static_cast<int>(pads_.size()) - 1)];
            TObjekt* a = list_[pads_[k]].get();
            TObjekt* b = list_[other].get();
            if (a == b || std::find(a->Connections.begin(), a->Connections.end(), b) != a->Connections.end())
                continue;
            a->Connections.push_back(b);
            b->Connections.push_back(a);
        }
    }

    std::size_t target_;
    std::mt19937 rng_; // fully specified by the standard, so a seed means the same board everywhere
    int w_;
    int h_;
    ElementList list_;
    std::vector<std::size_t> pads_; // list indices of pads and SMD pads
    std::int32_t groupId_ = 0;
    bool restrictedMade_ = false;
};

} // namespace

ElementList generateBoard(std::size_t elementCount, std::uint32_t seed, int width, int height)
{
    return Builder(elementCount, seed, width, height).run();
}

} // namespace trevok::bench
