// Stub: the drawing area's interface compiles; the implementation follows.
#include "view/widgets/boardwidget.h"

#include "document/project.h"
#include "edit/session.h"
#include "view/viewmodel.h"

#include <QWidget>

namespace trevok {

class OriginMarker : public QWidget {
public:
    using QWidget::QWidget;
};

BoardWidget::BoardWidget(TProject& project, ViewModel& view, QWidget* parent)
    : QAbstractScrollArea(parent), mProject(project), mView(view), mColours(CurrentColours()),
      mPatterns(RenderPatterns::make(mColours))
{
    setObjectName("PaintBox");
}
BoardWidget::~BoardWidget() = default;

void BoardWidget::setSession(EditSession* session) { mSession = session; }
void BoardWidget::setColourScheme(const ColourScheme& colours) { mColours = colours; }
void BoardWidget::setPhotoView(const PhotoView& photo) { mPhoto = photo; }
void BoardWidget::setAutorouterActive(bool active) { mAutorouter = active; }
void BoardWidget::setPaintingSuspended(bool suspended) { mSuspended = suspended; }
void BoardWidget::boardSwitched() {}
void BoardWidget::repaintAll() {}
bool BoardWidget::selectionPicture(QByteArray&, QImage&) { return false; }
void BoardWidget::flushRepaints() {}
const Preview* BoardWidget::preview(PreviewKind kind) const noexcept
{
    const auto& p = mPreviews[static_cast<std::size_t>(kind)];
    return p ? &*p : nullptr;
}
QWidget* BoardWidget::originMarker() const noexcept { return mMarker; }

double BoardWidget::zoom() const { return mView.zoom(); }
double BoardWidget::grid() const { return mView.grid(); }
TRect BoardWidget::visibleRect() const { return {}; }
bool BoardWidget::inchUnit() const { return mView.inchUnit(); }
void BoardWidget::invalidate(const TRect&) {}
void BoardWidget::invalidateAll() {}
void BoardWidget::showPreview(const Preview& preview) { mPreviews[static_cast<std::size_t>(preview.kind)] = preview; }
void BoardWidget::hidePreview(PreviewKind kind) { mPreviews[static_cast<std::size_t>(kind)].reset(); }
void BoardWidget::setCursor(std::string_view) {}
void BoardWidget::setStatusHint(const std::string& text) { emit statusHintChanged(QString::fromStdString(text)); }
void BoardWidget::setCoordinates(const std::string& x, const std::string& y)
{
    emit coordinatesChanged(QString::fromStdString(x), QString::fromStdString(y));
}
void BoardWidget::requestScroll(int, int) {}
void BoardWidget::zoomToolRelease(TPoint anchor, TPoint release) { mView.zoomToolRelease(anchor, release); }
void BoardWidget::zoomToolRightClick() { mView.zoomToolRightClick(); }
void BoardWidget::openMenu(std::string_view, TPoint) {}
void BoardWidget::showMeasurePanel(const MeasurePanel&) {}
void BoardWidget::hideMeasurePanel() { emit measurePanelHidden(); }
void BoardWidget::setOriginMarkerVisible(bool) {}
void BoardWidget::originChanged(TPoint origin) { emit originMoved(origin); }
void BoardWidget::confineCursor(bool confine) { mConfined = confine; }
void BoardWidget::toolChanged(int tool) { emit sessionToolChanged(tool); }
void BoardWidget::selectionChanged() { emit sessionSelectionChanged(); }
void BoardWidget::layersChanged() { emit sessionLayersChanged(); }
void BoardWidget::parametersChanged() { emit sessionParametersChanged(); }
void BoardWidget::hideToolWindows() { emit toolWindowsHideRequested(); }
bool BoardWidget::editText(TObjekt& text) { return textEditor ? textEditor(text) : false; }
bool BoardWidget::askPolygonParameters() { return polygonParameterDialog ? polygonParameterDialog() : true; }

void BoardWidget::paintEvent(QPaintEvent*) {}
void BoardWidget::resizeEvent(QResizeEvent* e) { QAbstractScrollArea::resizeEvent(e); }
void BoardWidget::scrollContentsBy(int, int) {}
void BoardWidget::mousePressEvent(QMouseEvent*) {}
void BoardWidget::mouseMoveEvent(QMouseEvent*) {}
void BoardWidget::mouseReleaseEvent(QMouseEvent*) {}
void BoardWidget::mouseDoubleClickEvent(QMouseEvent*) {}
void BoardWidget::wheelEvent(QWheelEvent*) {}
void BoardWidget::keyPressEvent(QKeyEvent*) {}
void BoardWidget::keyReleaseEvent(QKeyEvent*) {}
void BoardWidget::leaveEvent(QEvent* e) { QAbstractScrollArea::leaveEvent(e); }
bool BoardWidget::focusNextPrevChild(bool) { return false; }
bool BoardWidget::viewportEvent(QEvent* e) { return QAbstractScrollArea::viewportEvent(e); }

void BoardWidget::viewChanged(unsigned) {}
void BoardWidget::syncScrollBars() {}
RenderOptions BoardWidget::renderOptions() const { return {}; }
void BoardWidget::repaintCache(const QRect&) {}
QRect BoardWidget::deviceRect(const TRect&) const { return {}; }
QRect BoardWidget::previewRect(const Preview&) const { return {}; }
void BoardWidget::drawPreviews(QPainter&, const QRect&) {}
void BoardWidget::drawPreview(QPainter&, const Preview&) {}
TPoint BoardWidget::boardPoint(QPoint) const { return {}; }
void BoardWidget::sendMove(QPoint, unsigned) {}
void BoardWidget::placeOriginMarker() {}

} // namespace trevok
