#include "view/widgets/propertybar.h"

#include "edit/session.h"
#include "view/texts.h"
#include "view/widgets/cursors.h"
#include "view/widgets/layspinedit.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

namespace trevok
{

namespace
{

constexpr std::array<ParamField, 5> BarFields{ParamField::Breite, ParamField::Aussen, ParamField::Innen,
                                              ParamField::SmdX, ParamField::SmdY};
constexpr std::array<const char*, 5> FieldNames{"SE_Breite", "SE_Aussen", "SE_Innen", "SE_SMDPad_X",
                                                "SE_SMDPad_Y"};

struct ShapeRow {
    const char* name; // object name of the menu item
    const char* de;
    const char* en;
    const char* fr;
};
// In shape-code order 1..9.
constexpr std::array<ShapeRow, 9> Shapes{{
    {"rund1", "Rund", "Round", "Rond"},
    {"Octagon1", "Octagon", "Octagon", "Octogone"},
    {"Quadrat1", "Quadratisch", "Square", "Carré"},
    {"Abegrundetquer1", "Abgegrundet, quer", "Rounded, horizontal", "Arrondi, horizontal"},
    {"Octagonquer1", "Octagon, quer", "Octagon, horizontal", "Octogone, horizontal"},
    {"Rechteckquer1", "Rechteck, quer", "Rectangle, horizontal", "Rectangle, horizontal"},
    {"Abgerundethoch1", "Abgerundet, hoch", "Rounded, vertical", "Arrondi, vertical"},
    {"Octagonhoch1", "Octagon, hoch", "Octagon, vertical", "Octogone, vertical"},
    {"Rechteckhoch1", "Rechteck, hoch", "Rectangle, vertical", "Rectangle, vertical"},
}};

struct ListRow {
    const char* button;
    const char* menu;
    const char* add;
    const char* remove;
};
constexpr std::array<ListRow, 3> Lists{{
    {"SB_LineContainer", "LinienPopup", "L_Hinzufuegen", "L_Entfernen"},
    {"SB_LoetaugenContainer", "LA_Popup", "LA_Hinzufuegen", "LA_Entfernen"},
    {"SB_SMDContainer", "SMD_Popup", "SMD_Hinzufuegen", "SMD_Entfernen"},
}};

std::size_t listIndex(FavouriteKind kind) noexcept
{
    return static_cast<std::size_t>(kind);
}

QLabel* pictureLabel(QWidget* parent, std::string_view icon)
{
    auto* l = new QLabel(parent);
    l->setPixmap(TrevokIcon(icon).pixmap(16, 16));
    return l;
}

} // namespace

QString PadShapeCaption(int shape)
{
    if (shape < 1 || shape > static_cast<int>(Shapes.size()))
        return {};
    const ShapeRow& row = Shapes[static_cast<std::size_t>(shape - 1)];
    return T(row.de, row.en, row.fr);
}

PropertyBar::PropertyBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PropertyBar"));
    buildFields();
    buildShapeMenu();
    buildFavourites();

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(2);
    row->addWidget(pictureLabel(this, "tool_track"));
    row->addWidget(fields_[0]);
    row->addWidget(listButtons_[0]);
    row->addSpacing(8);
    row->addWidget(shapeButton_);
    row->addWidget(fields_[1]);
    row->addWidget(fields_[2]);
    row->addWidget(listButtons_[1]);
    row->addSpacing(8);
    row->addWidget(pictureLabel(this, "tool_smdpad"));
    row->addWidget(fields_[3]);
    row->addWidget(fields_[4]);
    row->addWidget(listButtons_[2]);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setSession(nullptr);
}

void PropertyBar::buildFields()
{
    for (std::size_t i = 0; i < BarFields.size(); ++i) {
        const ParamField f = BarFields[i];
        auto* edit = new TLaySpinEdit(this);
        edit->setObjectName(QString::fromLatin1(FieldNames[i]));
        const FieldSpec limits = fieldSpec(f);
        edit->setRange(limits.min, limits.max, limits.step, limits.decimals);
        fields_[i] = edit;
        connect(edit, &TLaySpinEdit::OnEditEnter, this, [this, f] { fieldEntered(f); });
        connect(edit, &TLaySpinEdit::OnEditExit, this, [this, f] { fieldExited(f); });
        connect(edit, &TLaySpinEdit::OnEditChange, this, [this, f](const QString& t) { fieldChanged(f, t); });
        // Turning the wheel of a field without the focus is a visit of its own, so that its
        // changes to the selection can be undone as one step like typing.
        connect(edit, &TLaySpinEdit::wheelPressed, this, [this, f, edit] {
            if (!edit->edit()->hasFocus()) {
                wheelVisit_ = static_cast<int>(f);
                fieldEntered(f);
            }
        });
        connect(edit, &TLaySpinEdit::wheelReleased, this, [this, f] {
            if (wheelVisit_ == static_cast<int>(f)) {
                wheelVisit_ = -1;
                fieldExited(f);
            }
        });
    }
}

void PropertyBar::buildShapeMenu()
{
    shapeMenu_ = new QMenu(this);
    shapeMenu_->setObjectName(QStringLiteral("LAForm_Popup"));
    shapeGroup_ = new QActionGroup(this);
    shapeGroup_->setExclusive(true);
    for (std::size_t i = 0; i < Shapes.size(); ++i) {
        const int code = static_cast<int>(i) + 1;
        QAction* a = shapeMenu_->addAction(T(Shapes[i].de, Shapes[i].en, Shapes[i].fr));
        a->setObjectName(QString::fromLatin1(Shapes[i].name));
        a->setData(code);
        a->setCheckable(true);
        shapeGroup_->addAction(a);
        shapeActions_[i] = a;
        connect(a, &QAction::triggered, this, [this, code] { chooseShape(code); });
    }
    shapeMenu_->addSeparator();
    plating_ = shapeMenu_->addAction(T("Durchkontaktierung", "Through-plated", "Métallisé"));
    plating_->setObjectName(QStringLiteral("Durchkontaktierung1"));
    plating_->setCheckable(true);
    plating_->setShortcut(QKeySequence(Qt::Key_F12));
    // The shortcut must work while the menu is closed, so the action also belongs to the bar.
    addAction(plating_);
    connect(plating_, &QAction::triggered, this, [this](bool on) { togglePlating(on); });

    shapeButton_ = new QToolButton(this);
    shapeButton_->setObjectName(QStringLiteral("SB_PadForm"));
    shapeButton_->setToolTip(T("Lötaugenform", "Pad shape", "Forme de pastille"));
    shapeButton_->setPopupMode(QToolButton::InstantPopup);
    shapeButton_->setMenu(shapeMenu_);
    shapeButton_->setAutoRaise(true);
    shapeButton_->setIconSize(QSize(16, 16));
}

void PropertyBar::buildFavourites()
{
    for (std::size_t i = 0; i < Lists.size(); ++i) {
        const auto kind = static_cast<FavouriteKind>(i);
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(Lists[i].button));
        button->setArrowType(Qt::DownArrow);
        button->setPopupMode(QToolButton::InstantPopup);
        button->setAutoRaise(true);
        button->setFixedWidth(14);
        auto* menu = new QMenu(button);
        menu->setObjectName(QString::fromLatin1(Lists[i].menu));
        button->setMenu(menu);
        connect(menu, &QMenu::aboutToShow, this, [this, kind] { rebuildFavouriteMenu(kind); });
        listButtons_[i] = button;
        listMenus_[i] = menu;
    }
}

void PropertyBar::setSession(EditSession* session)
{
    session_ = session;
    setEnabled(session_ != nullptr);
    showParameters();
}

TLaySpinEdit* PropertyBar::field(ParamField f) const noexcept
{
    const auto i = static_cast<std::size_t>(f);
    return i < fields_.size() ? fields_[i] : nullptr;
}

FavouriteList& PropertyBar::favourites(FavouriteKind kind) noexcept
{
    return lists_[listIndex(kind)];
}
const FavouriteList& PropertyBar::favourites(FavouriteKind kind) const noexcept
{
    return lists_[listIndex(kind)];
}
QToolButton* PropertyBar::favouriteButton(FavouriteKind kind) const noexcept
{
    return listButtons_[listIndex(kind)];
}
QMenu* PropertyBar::favouriteMenu(FavouriteKind kind) const noexcept
{
    return listMenus_[listIndex(kind)];
}

QAction* PropertyBar::shapeAction(int shape) const noexcept
{
    return shape >= 1 && shape <= 9 ? shapeActions_[static_cast<std::size_t>(shape - 1)] : nullptr;
}

QIcon PropertyBar::currentPadIcon() const
{
    if (!session_)
        return PadShapeIcon(ShapeRound, false);
    const ToolParameters& p = session_->params();
    return PadShapeIcon(p.padShape, p.throughPlating);
}

// ---------------------------------------------------------------------------------------------
// Showing the parameters

void PropertyBar::showParameters()
{
    updating_ = true;
    for (std::size_t i = 0; i < BarFields.size(); ++i) {
        TLaySpinEdit* edit = fields_[i];
        if (session_) {
            // The field being typed in keeps the user's text; the value logic already has it.
            if (!edit->edit()->hasFocus())
                edit->SetText(QString::fromStdString(session_->properties().field(BarFields[i]).text()));
        }
    }
    if (session_) {
        const ToolParameters& p = session_->params();
        if (QAction* a = shapeAction(p.padShape))
            a->setChecked(true);
        plating_->setChecked(p.throughPlating);
        for (std::size_t i = 0; i < shapeActions_.size(); ++i)
            shapeActions_[i]->setIcon(PadShapeIcon(static_cast<int>(i) + 1, p.throughPlating));
    }
    const QIcon icon = currentPadIcon();
    shapeButton_->setIcon(icon);
    applyHighlights();
    updating_ = false;
    emit padIconChanged(icon);
}

void PropertyBar::applyHighlights()
{
    std::array<bool, 5> on{};
    if (session_)
        for (std::size_t i = 0; i < BarFields.size(); ++i)
            on[i] = session_->properties().highlighted(BarFields[i]);
    for (ParamField f : ToolProperties::fieldsOfToolButton(hoverTool_))
        if (static_cast<std::size_t>(f) < on.size())
            on[static_cast<std::size_t>(f)] = true;
    for (std::size_t i = 0; i < BarFields.size(); ++i)
        fields_[i]->setHighlighted(on[i]);
}

void PropertyBar::selectionChanged()
{
    // The session has filled the values (with CTRL from the mouse event also the defaults);
    // asking the keyboard here would take Ctrl+A for a CTRL selection.
    showParameters();
}

void PropertyBar::hoverTool(int tool)
{
    hoverTool_ = tool;
    applyHighlights();
}

void PropertyBar::watchToolButton(QWidget* button, int tool)
{
    watched_.insert(button, tool);
    button->installEventFilter(this);
    connect(button, &QObject::destroyed, this, [this](QObject* o) { watched_.remove(o); });
}

bool PropertyBar::eventFilter(QObject* watched, QEvent* event)
{
    const auto it = watched_.constFind(watched);
    if (it != watched_.cend()) {
        if (event->type() == QEvent::Enter)
            hoverTool(it.value());
        else if (event->type() == QEvent::Leave)
            hoverTool(-1);
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Edits

void PropertyBar::report(const std::optional<TRect>& area)
{
    if (area) {
        session_->project().Modified = true;
        emit boardChanged(*area);
    }
}

void PropertyBar::fieldEntered(ParamField f)
{
    if (session_)
        session_->properties().enterField(f);
}

void PropertyBar::fieldExited(ParamField f)
{
    if (!session_)
        return;
    report(session_->properties().leaveField(f, session_->project()));
    showParameters();
    emit parametersChanged();
}

void PropertyBar::fieldChanged(ParamField f, const QString& text)
{
    if (updating_ || !session_)
        return;
    report(session_->properties().editField(f, text.toStdString(), session_->project()));
    // Another field may have followed (drill above the outer diameter and the reverse).
    showParameters();
    emit parametersChanged();
}

void PropertyBar::chooseShape(int shape)
{
    if (!session_)
        return;
    report(session_->properties().setPadShape(static_cast<std::uint8_t>(shape), session_->project()));
    showParameters();
    emit parametersChanged();
}

void PropertyBar::togglePlating(bool on)
{
    if (!session_ || updating_)
        return;
    report(session_->properties().setThroughPlating(on, session_->project()));
    // Taking connections over may leave a different selection behind.
    session_->selectionChanged();
    showParameters();
    emit parametersChanged();
}

// ---------------------------------------------------------------------------------------------
// Favourite lists

void PropertyBar::rebuildFavouriteMenu(FavouriteKind kind)
{
    const std::size_t i = listIndex(kind);
    QMenu* menu = listMenus_[i];
    menu->clear();
    const FavouriteList& list = lists_[i];
    const SizePair current = session_ ? session_->properties().favouriteValue(kind) : SizePair{};
    const std::vector<FavouriteMenuItem> items = list.menu(current, CurrentLanguage());
    const std::size_t entries = list.entries().size();
    for (std::size_t k = 0; k < items.size(); ++k) {
        const FavouriteMenuItem& item = items[k];
        if (item.separator) {
            menu->addSeparator();
            continue;
        }
        QAction* a = menu->addAction(QString::fromStdString(item.caption));
        a->setCheckable(item.checked);
        a->setChecked(item.checked);
        a->setEnabled(item.enabled && session_ != nullptr);
        if (k < entries) {
            const int entry = static_cast<int>(k);
            connect(a, &QAction::triggered, this, [this, kind, entry] { favouriteTriggered(kind, entry); });
        } else if (k == entries + 1) {
            a->setObjectName(QString::fromLatin1(Lists[i].add));
            connect(a, &QAction::triggered, this, [this, kind] { addFavourite(kind); });
        } else {
            a->setObjectName(QString::fromLatin1(Lists[i].remove));
            connect(a, &QAction::triggered, this, [this, kind] { removeFavourite(kind); });
        }
    }
}

void PropertyBar::favouriteTriggered(FavouriteKind kind, int index)
{
    if (!session_)
        return;
    report(session_->properties().chooseFavourite(lists_[listIndex(kind)], static_cast<std::size_t>(index),
                                                  session_->project()));
    showParameters();
    emit parametersChanged();
}

void PropertyBar::addFavourite(FavouriteKind kind)
{
    if (session_ && session_->properties().addFavourite(lists_[listIndex(kind)]))
        emit favouritesChanged(kind);
}

void PropertyBar::removeFavourite(FavouriteKind kind)
{
    if (session_ && lists_[listIndex(kind)].remove(session_->properties().favouriteValue(kind)))
        emit favouritesChanged(kind);
}

} // namespace trevok
