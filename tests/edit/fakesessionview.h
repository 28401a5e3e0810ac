#pragma once
// A SessionView that records what the session asks for, so that tests can drive the session
// with synthetic events and look at the previews, cursor, texts and requests it produced.

#include "edit/session.h"
#include "edit/sessionview.h"

#include <map>
#include <string>
#include <vector>

namespace trevok::testing
{

class FakeSessionView : public SessionView
{
  public:
    double zoomValue = 0.1;
    double gridValue = 254.0;
    TRect visible{0, -10000, 16000, 0};
    bool inch = false;
    bool acceptPolygon = true;
    bool textDialogShown = true;
    std::optional<TPoint> cursorAt; // the mouse over the drawing area

    std::map<PreviewKind, Preview> previews; // what is on screen now
    int invalidations = 0;
    int fullRepaints = 0;
    std::string cursor = "ARROW";
    std::string hint;
    std::string xText, yText;
    std::vector<std::pair<int, int>> scrolls;
    std::vector<std::pair<TPoint, TPoint>> zoomReleases;
    int zoomOuts = 0;
    std::vector<std::pair<std::string, TPoint>> menus;
    bool measureShown = false;
    MeasurePanel measure;
    bool originMarkerVisible = true;
    std::vector<TPoint> origins;
    bool confined = false;
    std::vector<int> tools;
    int selectionChanges = 0;
    int layerChanges = 0;
    std::vector<const TObjekt*> editedTexts;
    /// The text dialog: each call takes the next answer (settings and start number); none left
    /// or an empty answer is Cancel.
    struct TextAnswer {
        bool ok = true;
        LayoutTextSettings settings;
        int start = 0;
    };
    std::vector<TextAnswer> textAnswers;
    std::vector<LayoutTextSettings> textDialogShownWith; // what the dialog was filled with
    std::vector<MsgId> messages;
    int propertyDialogs = 0;

    double zoom() const override { return zoomValue; }
    double grid() const override { return gridValue; }
    TRect visibleRect() const override { return visible; }
    bool inchUnit() const override { return inch; }
    std::optional<TPoint> cursorPosition() const override { return cursorAt; }
    void invalidate(const TRect&) override { ++invalidations; }
    void invalidateAll() override { ++fullRepaints; }
    void showPreview(const Preview& p) override { previews[p.kind] = p; }
    void hidePreview(PreviewKind kind) override { previews.erase(kind); }
    void setCursor(std::string_view name) override { cursor = std::string(name); }
    void setStatusHint(const std::string& text) override { hint = text; }
    void setCoordinates(const std::string& x, const std::string& y) override
    {
        xText = x;
        yText = y;
    }
    void requestScroll(int dx, int dy) override { scrolls.emplace_back(dx, dy); }
    void zoomToolRelease(TPoint anchor, TPoint release) override
    {
        zoomReleases.emplace_back(anchor, release);
    }
    void zoomToolRightClick() override { ++zoomOuts; }
    void openMenu(std::string_view name, TPoint at) override { menus.emplace_back(std::string(name), at); }
    void showMeasurePanel(const MeasurePanel& panel) override
    {
        measureShown = true;
        measure = panel;
    }
    void hideMeasurePanel() override { measureShown = false; }
    void setOriginMarkerVisible(bool v) override { originMarkerVisible = v; }
    void originChanged(TPoint origin) override { origins.push_back(origin); }
    void confineCursor(bool c) override { confined = c; }
    void toolChanged(int tool) override { tools.push_back(tool); }
    void selectionChanged() override { ++selectionChanges; }
    void layersChanged() override { ++layerChanges; }
    void parametersChanged() override {}
    void hideToolWindows() override {}
    bool editText(TObjekt& text) override
    {
        editedTexts.push_back(&text);
        return textDialogShown;
    }
    bool askPolygonParameters() override { return acceptPolygon; }
    bool askLayoutText(LayoutTextSettings& settings, int& start) override
    {
        textDialogShownWith.push_back(settings);
        if (textAnswers.empty())
            return false;
        const TextAnswer answer = textAnswers.front();
        textAnswers.erase(textAnswers.begin());
        if (!answer.ok)
            return false;
        // The dialog takes the mirror choices the tool preset, unless the answer changes them.
        const bool mirrorH = settings.mirrorH;
        const bool mirrorV = settings.mirrorV;
        settings = answer.settings;
        settings.mirrorH = settings.mirrorH || mirrorH;
        settings.mirrorV = settings.mirrorV || mirrorV;
        start = answer.start;
        return true;
    }
    void showMessage(MsgId id) override { messages.push_back(id); }
    bool editProperties() override
    {
        ++propertyDialogs;
        return true;
    }

    bool shown(PreviewKind kind) const { return previews.count(kind) != 0; }
};

/// Left click (press and release) at a point.
inline void click(EditSession& s, TPoint p, unsigned mods = 0)
{
    s.mousePress(p, MouseButton::Left, mods);
    s.mouseRelease(p, MouseButton::Left, mods);
}

/// Press at a, move through the points, release at the last one.
inline void drag(EditSession& s, TPoint a, std::initializer_list<TPoint> path, unsigned mods = 0)
{
    s.mousePress(a, MouseButton::Left, mods);
    TPoint last = a;
    for (TPoint p : path) {
        s.mouseMove(p, mods);
        last = p;
    }
    s.mouseRelease(last, MouseButton::Left, mods);
}

inline std::size_t countSelected(const ElementList& list)
{
    std::size_t n = 0;
    for (const auto& e : list)
        n += e->Selected ? 1 : 0;
    return n;
}

} // namespace trevok::testing
