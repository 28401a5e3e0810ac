#include "app/macropanel.h"

#include "dialogs/dialogbuttons.h"
#include "document/cp1252.h"
#include "document/filenames.h"
#include "document/layoutfile.h"
#include "edit/session.h"
#include "view/qpaintercanvas.h"
#include "view/render.h"
#include "view/texts.h"
#include "view/viewmodel.h"
#include "view/widgets/boardwidget.h"
#include "view/widgets/cursors.h"

#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace trevok
{

namespace
{

QString fromBytes(const std::string& bytes)
{
    return QString::fromStdString(Cp1252ToUtf8(bytes));
}

std::string toBytes(const QString& text)
{
    return Utf8ToCp1252(text.toStdString());
}

QToolButton* makeButton(QWidget* parent, const char* name, const QIcon& icon, bool checkable)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(icon);
    b->setCheckable(checkable);
    b->setAutoRaise(true);
    b->setIconSize(QSize(20, 20));
    return b;
}

bool sameOrInside(const QString& root, const QString& folder)
{
    const QString r = QDir::cleanPath(QDir(root).absolutePath());
    const QString f = QDir::cleanPath(QDir(folder).absolutePath());
    return f == r || f.startsWith(r + QLatin1Char('/'));
}

/// The file list: dragging an entry drags the chosen macro.
class MacroList : public QListWidget
{
  public:
    MacroList(MacroPanel& panel, QWidget* parent) : QListWidget(parent), panel_(panel)
    {
        setDragEnabled(true);
        setDragDropMode(QAbstractItemView::DragOnly);
        setSelectionMode(QAbstractItemView::SingleSelection);
    }

  protected:
    void startDrag(Qt::DropActions) override { StartMacroDrag(panel_, this); }

  private:
    MacroPanel& panel_;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// The panel

MacroPanel::MacroPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("P_Makro"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(3);

    auto* head = new QHBoxLayout;
    auto* title = new QLabel(T("Makros", "Macros", "Macros"), this);
    title->setObjectName(QStringLiteral("Panel6"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto* close = makeButton(this, "SpeedButton1", ThemeIcon("window-close", "delete"), false);
    connect(close, &QToolButton::clicked, this, &MacroPanel::hideRequested);
    head->addWidget(title, 1);
    head->addWidget(close);
    layout->addLayout(head);

    auto* folders = new QHBoxLayout;
    dirButton_ = new QToolButton(this);
    dirButton_->setObjectName(QStringLiteral("SB_MakroDir"));
    dirButton_->setPopupMode(QToolButton::InstantPopup);
    dirButton_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    dirButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    folderMenu_ = new QMenu(dirButton_);
    folderMenu_->setObjectName(QStringLiteral("MakroPopup"));
    dirButton_->setMenu(folderMenu_);
    auto* dirSelect = makeButton(this, "SB_MakroDirSelect", ThemeIcon("folder-open", "open"), false);
    connect(dirSelect, &QToolButton::clicked, this, &MacroPanel::chooseRoot);
    folders->addWidget(dirButton_, 1);
    folders->addWidget(dirSelect);
    layout->addLayout(folders);

    list_ = new MacroList(*this, this);
    list_->setObjectName(QStringLiteral("LB_Makro"));
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && !showing_)
            loadMacro(currentFile());
    });
    layout->addWidget(list_, 1);

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("P_MakroVorschau"));
    frame->setFrameShape(QFrame::StyledPanel);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(1, 1, 1, 1);
    frameLayout->setSpacing(0);
    view_ = new MacroPreviewView(*this, frame);
    view_->setObjectName(QStringLiteral("PB_Makro"));
    view_->setMinimumSize(170, 150);
    auto* dragLabel = new QLabel(QStringLiteral("Drag and Drop"), frame);
    dragLabel->setObjectName(QStringLiteral("L_DragDrop"));
    dragLabel->setAlignment(Qt::AlignHCenter);
    frameLayout->addWidget(view_, 1);
    frameLayout->addWidget(dragLabel);
    layout->addWidget(frame, 1);

    comment1_ = new QLineEdit(this);
    comment1_->setObjectName(QStringLiteral("E_Makrotext1"));
    comment2_ = new QLineEdit(this);
    comment2_->setObjectName(QStringLiteral("E_Makrotext2"));
    int line = 1;
    for (QLineEdit* e : {comment1_, comment2_}) {
        e->setMaxLength(static_cast<int>(MaxMacroLine));
        connect(e, &QLineEdit::textEdited, this,
                [this, line](const QString& text) { commentEdited(line, text); });
        layout->addWidget(e);
        ++line;
    }

    auto* buttons = new QHBoxLayout;
    mirror_ = makeButton(this, "SB_MakroSpiegeln", TrevokIcon("mirror_h"), true);
    side_ = makeButton(this, "SB_MakroLayerChange", TrevokIcon("side_change"), true);
    plated_ = makeButton(this, "SB_MakroDurchkontaktieren", PadShapeIcon(1, true), true);
    connect(mirror_, &QToolButton::toggled, this, [this](bool down) { optionToggled(0, down); });
    connect(side_, &QToolButton::toggled, this, [this](bool down) { optionToggled(1, down); });
    connect(plated_, &QToolButton::toggled, this, [this](bool down) { optionToggled(2, down); });
    auto* save = makeButton(this, "SB_MakroSave", ThemeIcon("document-save", "save"), false);
    auto* remove = makeButton(this, "SB_MakroDelete", ThemeIcon("edit-delete", "delete"), false);
    connect(save, &QToolButton::clicked, this, &MacroPanel::saveRequested);
    connect(remove, &QToolButton::clicked, this, &MacroPanel::deleteMacro);
    buttons->addWidget(mirror_);
    buttons->addWidget(side_);
    buttons->addWidget(plated_);
    buttons->addStretch(1);
    buttons->addWidget(save);
    buttons->addWidget(remove);
    layout->addLayout(buttons);

    setMinimumWidth(190);
}

MacroPanel::~MacroPanel() = default;

QMessageBox::StandardButton MacroPanel::tell(QMessageBox::Icon icon, const QString& caption,
                                             const QString& text, QMessageBox::StandardButtons buttons)
{
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (messageBox)
        return messageBox(icon, caption, shown, buttons);
    return ShowMessageBox(this, icon, caption, shown, buttons);
}

void MacroPanel::warn(const TrevokError& error)
{
    tell(QMessageBox::Warning, CaptionQ(error.id), MessageQ(error.id, error.args), QMessageBox::Ok);
}

void MacroPanel::setColours(const ColourScheme& colours)
{
    colours_ = colours;
    view_->update();
}

bool MacroPanel::isDragSource(const QObject* source) const noexcept
{
    return source && (source == view_ || source == list_ || source == list_->viewport());
}

// --- folders ---------------------------------------------------------------------------------

void MacroPanel::setFolders(const QString& root, const QString& subFolder, const QString& fallbackRoot)
{
    root_ = LocalIsDir(root) ? root : fallbackRoot;
    const QString folder = PathFromLocal(macroFolderPath(LocalPath(root_), LocalPath(subFolder)));
    const bool isRoot =
        subFolder.isEmpty() || subFolder == QLatin1String("..") || subFolder == QLatin1String("...");
    subFolder_ =
        !isRoot && LocalIsDir(folder) && sameOrInside(root_, folder) ? subFolder : QStringLiteral("...");
    dirButton_->setText(DisplayPath(subFolder_));
    buildFolderMenu();
    refreshList();
}

QString MacroPanel::currentFolder() const
{
    return PathFromLocal(macroFolderPath(LocalPath(root_), LocalPath(subFolder_)));
}

void MacroPanel::buildFolderMenu()
{
    folderMenu_->clear();
    const MacroFolder tree = macroFolderTree(LocalPath(root_));
    fillMenu(folderMenu_, tree, {});
}

void MacroPanel::fillMenu(QMenu* menu, const MacroFolder& folder, const QStringList& captions)
{
    // A folder's menu starts with ".." (the folder itself) when it has sub-folders.
    auto addLeaf = [this, menu](const QString& caption, const QStringList& path) {
        QAction* a = menu->addAction(DisplayPath(caption));
        connect(a, &QAction::triggered, this, [this, path] { selectFolder(path); });
    };
    if (folder.children.empty()) {
        if (captions.isEmpty())
            addLeaf(QStringLiteral(".."), {QStringLiteral("..")});
        return;
    }
    addLeaf(QStringLiteral(".."), captions + QStringList{QStringLiteral("..")});
    menu->addSeparator();
    for (const MacroFolder& child : folder.children) {
        const QString caption = PathFromLocal(child.name);
        const QStringList path = captions + QStringList{caption};
        if (child.children.empty()) {
            addLeaf(caption, path);
        } else {
            QMenu* sub = menu->addMenu(DisplayPath(caption));
            fillMenu(sub, child, path);
        }
    }
}

void MacroPanel::selectFolder(const QStringList& captions)
{
    std::vector<std::string> parts;
    for (const QString& c : captions)
        parts.push_back(LocalPath(c));
    writeBackComments();
    subFolder_ = PathFromLocal(macroFolderFromMenuPath(parts));
    dirButton_->setText(DisplayPath(subFolder_));
    refreshList();
    emit foldersChanged();
}

void MacroPanel::chooseRoot()
{
    const QString caption = T("Makro-Stammverzeichnis wählen", "Select macro root directory",
                              "Choisir le répertoire racine des macros");
    const QString chosen = askFolder ? askFolder(caption, root_) : QString();
    if (chosen.isEmpty())
        return;
    writeBackComments();
    root_ = chosen;
    subFolder_ = QStringLiteral("..");
    dirButton_->setText(DisplayPath(subFolder_));
    buildFolderMenu();
    refreshList();
    emit foldersChanged();
}

// --- the file list ---------------------------------------------------------------------------

QString MacroPanel::currentFile() const
{
    const QListWidgetItem* item = list_->currentItem();
    if (!item)
        return {};
    return QDir(currentFolder()).filePath(item->data(Qt::UserRole).toString());
}

void MacroPanel::refreshList(const QString& fileName, int row)
{
    showing_ = true;
    list_->clear();
    for (const std::string& name : listMacroFiles(LocalPath(currentFolder()))) {
        const QString carried = PathFromLocal(name);
        auto* item = new QListWidgetItem(DisplayPath(carried), list_);
        item->setData(Qt::UserRole, carried);
    }
    int chosen = -1;
    if (!fileName.isEmpty()) {
        const QString wanted = QFileInfo(fileName).fileName();
        for (int i = 0; i < list_->count(); ++i)
            if (list_->item(i)->data(Qt::UserRole).toString() == wanted)
                chosen = i;
    }
    if (chosen < 0 && list_->count() > 0)
        chosen = std::clamp(row, 0, list_->count() - 1);
    list_->setCurrentRow(chosen);
    showing_ = false;
    if (chosen >= 0) {
        loadMacro(currentFile());
    } else {
        writeBackComments();
        preview_.clear();
        showOptions();
    }
}

void MacroPanel::loadMacro(const QString& path)
{
    const int layer = activeLayer ? activeLayer() : LayerK2;
    const double g = grid ? grid() : 254.0;
    const MacroLoadResult result = preview_.LoadMacroPreview(LocalPath(path), layer, g);
    matchedLayer_ = layer;
    showLoadResult(result);
}

void MacroPanel::activeLayerChanged()
{
    // Only a new layer matches again: a macro that fits no orientation (print only, copper
    // layer active) would otherwise flip at every call.
    const int layer = activeLayer ? activeLayer() : LayerK2;
    if (layer == matchedLayer_)
        return;
    matchedLayer_ = layer;
    if (preview_.matchSide(layer))
        showOptions();
}

void MacroPanel::writeBackComments()
{
    if (auto error = preview_.writeBackComments())
        warn(*error);
}

void MacroPanel::showLoadResult(const MacroLoadResult& result)
{
    if (result.writeBackError)
        warn(*result.writeBackError);
    showOptions();
    // The list stays usable: another entry can be chosen at once.
    if (result.error)
        warn(*result.error);
}

void MacroPanel::showOptions()
{
    const bool was = showing_;
    showing_ = true;
    const MacroOptions& o = preview_.options();
    for (auto [button, down] :
         {std::pair{mirror_, o.mirror}, std::pair{side_, o.changeSide}, std::pair{plated_, o.throughPlate}}) {
        const QSignalBlocker block(button);
        button->setChecked(down);
    }
    for (auto [edit, text] : {std::pair{comment1_, fromBytes(preview_.comment1())},
                              std::pair{comment2_, fromBytes(preview_.comment2())}}) {
        // setText leaves the cursor at the end, which scrolls a line longer than the box so
        // far that its beginning is hidden; the beginning is what describes the macro.
        edit->setText(text);
        edit->setCursorPosition(0);
        edit->setToolTip(text);
    }
    showing_ = was;
    view_->update();
}

void MacroPanel::optionToggled(int which, bool down)
{
    if (showing_)
        return;
    switch (which) {
    case 0:
        preview_.setMirror(down);
        break;
    case 1:
        preview_.setChangeSide(down);
        break;
    default:
        preview_.setThroughPlate(down);
        break;
    }
    view_->update();
}

void MacroPanel::commentEdited(int line, const QString& text)
{
    if (!showing_)
        preview_.setComment(line, toBytes(text));
}

void MacroPanel::deleteMacro()
{
    const QString file = currentFile();
    if (file.isEmpty())
        return;
    const QString name = QFileInfo(file).fileName();
    const QString text = MessageQ(MsgId::MacroDeleteQuestion, {DisplayPath(name).toStdString()});
    if (tell(QMessageBox::Question, CaptionQ(MsgId::MacroDeleteQuestion), text,
             QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    const int row = list_->currentRow();
    try {
        deleteMacroFile(LocalPath(file));
    } catch (const TrevokError& error) {
        warn(error);
        return;
    }
    // The deleted macro's comment lines have nowhere to go.
    preview_.clear();
    refreshList({}, row);
}

// ---------------------------------------------------------------------------------------------
// The preview

MacroPreviewView::MacroPreviewView(MacroPanel& panel, QWidget* parent) : QWidget(parent), panel_(panel)
{
    setCursor(Qt::OpenHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

MacroPreviewView::Fit MacroPreviewView::fitFor(const TRect& bounds, QSize size)
{
    const double w = std::max<double>(1.0, static_cast<double>(bounds.right - bounds.left));
    const double h = std::max<double>(1.0, static_cast<double>(bounds.bottom - bounds.top));
    Fit f;
    f.scale = std::max(0.01, std::min((size.width() - 10) / w, (size.height() - 10) / h));
    // The centre of the macro goes to the centre of the widget; y grows upwards on the board.
    const double cx = (static_cast<double>(bounds.left) + static_cast<double>(bounds.right)) / 2.0;
    const double cy = (static_cast<double>(bounds.top) + static_cast<double>(bounds.bottom)) / 2.0;
    f.originX = size.width() / 2.0 - cx * f.scale;
    f.originY = size.height() / 2.0 + cy * f.scale;
    return f;
}

void MacroPreviewView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const ColourScheme& colours = panel_.colours();
    painter.fillRect(rect(), colours.qcolor(0));
    MacroPreview& preview = panel_.preview();
    const auto bounds = preview.bounds();
    if (!bounds)
        return;
    const Fit fit = fitFor(*bounds, size());
    QPainterCanvas canvas(painter, true);
    CanvasMapping m;
    m.windowExtX = 10000;
    m.windowExtY = -10000;
    m.viewportExtX = fit.scale * 10000;
    m.viewportExtY = fit.scale * 10000;
    m.viewportOrgX = fit.originX;
    m.viewportOrgY = fit.originY;
    canvas.setMapping(m);
    DrawSettings settings;
    settings.colours = colours;
    const RenderPatterns patterns = RenderPatterns::make(colours);
    settings.patterns = &patterns;
    ElementPainter ep(canvas, settings);
    PaintElementList(ep, preview.elementsForDrawing(), preview.options().changeSide);
}

void MacroPreviewView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        pressAt_ = event->position().toPoint();
        pressed_ = true;
    }
}

void MacroPreviewView::mouseMoveEvent(QMouseEvent* event)
{
    if (!pressed_ || !(event->buttons() & Qt::LeftButton))
        return;
    if ((event->position().toPoint() - pressAt_).manhattanLength() < QApplication::startDragDistance())
        return;
    pressed_ = false;
    StartMacroDrag(panel_, this);
}

void StartMacroDrag(MacroPanel& panel, QWidget* source)
{
    if (panel.preview().empty())
        return;
    auto* drag = new QDrag(source);
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(MacroMimeType),
                  QByteArray::fromStdString(LocalPath(panel.currentFile())));
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction);
}

// ---------------------------------------------------------------------------------------------
// The drop target

MacroDropTarget::MacroDropTarget(BoardWidget& board, MacroPanel& panel)
    : QObject(&board), board_(board), panel_(panel)
{
    board.viewport()->setAcceptDrops(true);
    board.viewport()->installEventFilter(this);
}

TPoint MacroDropTarget::offsetAt(QPoint viewportPixel, bool ctrl) const
{
    const TBoard* b = board_.project().currentBoard();
    if (!b)
        return {};
    const QPointF p = board_.viewModel().boardPointAt(viewportPixel);
    const TPoint at{RoundHalfEven(p.x()), RoundHalfEven(p.y())};
    return macroDropOffset(*b, at, board_.grid(), ctrl);
}

bool MacroDropTarget::dragTo(QPoint viewportPixel, bool ctrl)
{
    if (!session_ || panel_.preview().empty() || !board_.project().currentBoard())
        return false;
    std::vector<const TObjekt*> elements;
    for (const auto& e : panel_.preview().elements())
        elements.push_back(e.get());
    session_->showMovePreview(elements, offsetAt(viewportPixel, ctrl), shownOffset_);
    return true;
}

void MacroDropTarget::dragLeft()
{
    if (session_)
        session_->erasePreview(PreviewKind::Move);
}

EditResult MacroDropTarget::dropAt(QPoint viewportPixel, bool ctrl)
{
    if (!session_ || panel_.preview().empty())
        return {};
    const TPoint offset = offsetAt(viewportPixel, ctrl);
    session_->erasePreview(PreviewKind::Move);
    const EditResult result = DropMacro(session_->project(), panel_.preview().elements(), offset);
    session_->invalidate(result);
    session_->selectionChanged();
    emit dropped(result);
    return result;
}

bool MacroDropTarget::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* e = static_cast<QDragMoveEvent*>(event);
        const bool ours =
            e->mimeData()->hasFormat(QString::fromLatin1(MacroMimeType)) && panel_.isDragSource(e->source());
        if (!ours)
            return false;
        if (event->type() == QEvent::DragEnter && session_)
            session_->ErasePreviews();
        if (dragTo(e->position().toPoint(), e->modifiers() & Qt::ControlModifier)) {
            e->setDropAction(Qt::CopyAction);
            e->accept();
        } else {
            e->ignore();
        }
        return true;
    }
    case QEvent::DragLeave:
        dragLeft();
        return false;
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(event);
        if (!e->mimeData()->hasFormat(QString::fromLatin1(MacroMimeType)) ||
            !panel_.isDragSource(e->source()))
            return false;
        dropAt(e->position().toPoint(), e->modifiers() & Qt::ControlModifier);
        e->setDropAction(Qt::CopyAction);
        e->accept();
        board_.setFocus();
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace trevok
