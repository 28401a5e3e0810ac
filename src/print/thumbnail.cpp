#include "print/thumbnail.h"

#include "view/imagecanvas.h"
#include "view/render.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace trevok
{

QImage MakeThumbnail(TBoard& board, int size)
{
    if (size < MinThumbnailSize || size > MaxThumbnailSize)
        throw std::invalid_argument("thumbnail size out of range");
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        throw std::bad_alloc();
    image.fill(Qt::transparent);

    // A board without extent (a damaged or hand-made file) is drawn as one unit, not divided by.
    const double width = std::max<std::int32_t>(board.BoardWidth, 1);
    const double height = std::max<std::int32_t>(board.BoardHeight, 1);
    const double longer = std::max(width, height);
    const int margin = std::max(1, size / 32);
    const double inner = size - 2 * margin;
    const double pixelsPerUnit = inner / longer;

    // The board covers x 0..W and y -H..0: its top-left corner (0, 0) goes to the corner of the
    // centred rectangle, and y turns downward on the picture.
    CanvasMapping m;
    m.windowExtX = longer;
    m.windowExtY = -longer;
    m.viewportExtX = inner;
    m.viewportExtY = inner;
    m.viewportOrgX = (size - width * pixelsPerUnit) / 2;
    m.viewportOrgY = (size - height * pixelsPerUnit) / 2;

    RenderOptions o;
    o.activeLayer = board.ActiveLayer;
    o.layerVisible = {true, true, true, true};
    o.colours = ColourScheme::Standard();
    o.screen = false;
    o.mapping = m;

    // Every element in its layer colour: a selection stored in the file is not part of the picture.
    for (auto& e : board.Elements)
        e->Selected = 0;
    // The rubber bands are the editor's reminder of work to do, not part of the board: at
    // thumbnail size they would hide the copper. They are set aside while drawing.
    struct ConnectionsAside {
        TBoard& board;
        std::vector<std::vector<TObjekt*>> saved;
        explicit ConnectionsAside(TBoard& b) : board(b)
        {
            saved.reserve(b.Elements.size());
            for (auto& e : b.Elements)
                saved.push_back(std::move(e->Connections));
        }
        ~ConnectionsAside()
        {
            for (std::size_t i = 0; i < saved.size(); ++i)
                board.Elements[i]->Connections = std::move(saved[i]);
        }
    } aside(board);
    ImageCanvas canvas(image);
    PaintBoard(canvas, board, o);
    return image;
}

} // namespace trevok
