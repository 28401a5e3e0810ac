#pragma once
// A session view for benchmarks: it draws nothing, keeps the size of the last move preview, and
// answers the text dialog with "R" and automatic numbering from 1.

#include "edit/layouttext.h"
#include "edit/sessionview.h"

#include <cstddef>

namespace trevok::bench
{

class NullView : public SessionView
{
  public:
    /// The board area the view pretends to show.
    NullView(int width, int height) : width_(width), height_(height) {}

    std::size_t previewElements = 0;
    std::size_t previewShapes = 0; // the stretched track segments of a move

    double zoom() const override { return 0.05; }
    double grid() const override { return 254.0; }
    TRect visibleRect() const override { return {0, -height_, width_, 0}; }
    bool inchUnit() const override { return false; }
    void invalidate(const TRect&) override {}
    void invalidateAll() override {}
    void showPreview(const Preview& p) override
    {
        previewElements = p.elements.size();
        previewShapes = p.shapes.size();
    }
    void hidePreview(PreviewKind) override {}
    void setCursor(std::string_view) override {}
    void setStatusHint(const std::string&) override {}
    void setCoordinates(const std::string&, const std::string&) override {}
    void requestScroll(int, int) override {}
    void zoomToolRelease(TPoint, TPoint) override {}
    void zoomToolRightClick() override {}
    void openMenu(std::string_view, TPoint) override {}
    void showMeasurePanel(const MeasurePanel&) override {}
    void hideMeasurePanel() override {}
    void setOriginMarkerVisible(bool) override {}
    void originChanged(TPoint) override {}
    void confineCursor(bool) override {}
    void toolChanged(int) override {}
    void selectionChanged() override {}
    void layersChanged() override {}
    void parametersChanged() override {}
    void hideToolWindows() override {}
    bool editText(TObjekt&) override { return false; }
    bool askPolygonParameters() override { return true; }
    bool askLayoutText(LayoutTextSettings& settings, int& start) override
    {
        settings.text = "R";
        settings.numbering = true;
        start = 1;
        return true;
    }

  private:
    int width_;
    int height_;
};

} // namespace trevok::bench
