#pragma once
// The tool parameters (the values new elements are made with) and the tool-bar fields that show
// them, which double as the property editor of the selection: selecting elements fills the
// fields from them, editing a field writes the value into the selected elements.

#include "document/objekt.h"
#include "edit/favourites.h"
#include "edit/layspinvalue.h"

#include <array>
#include <cstdint>
#include <optional>

namespace trevok
{

class TProject;

/// The values with which the tools make new elements, all in units.
struct ToolParameters {
    std::int32_t trackWidth = 80;  // SE_Breite 0.80 mm
    std::int32_t padRadius = 90;   // SE_Aussen 1.80 mm diameter
    std::int32_t drillRadius = 30; // SE_Innen 0.60 mm diameter
    std::int32_t smdWidth = 90;    // SE_SMDPad_X 0.90 mm
    std::int32_t smdHeight = 180;  // SE_SMDPad_Y 1.80 mm
    std::uint8_t padShape = ShapeRound;
    bool throughPlating = false; // "Durchkontaktierung"
    std::int32_t clearance = 40; // SE_FreistanzOffset 0.40 mm
    friend bool operator==(const ToolParameters&, const ToolParameters&) = default;
};

/// The numeric fields: SE_Breite, SE_Aussen, SE_Innen, SE_SMDPad_X, SE_SMDPad_Y and the
/// clearance edit SE_FreistanzOffset.
enum class ParamField : std::uint8_t { Breite, Aussen, Innen, SmdX, SmdY, Freistanz };
inline constexpr std::size_t ParamFieldCount = 6;

/// Range, step and decimals of a field in mm, and the units one mm of the field stands for
/// (100, or 50 for the pad diameters, which are stored as radii).
struct FieldSpec {
    double min;
    double max;
    double step;
    int decimals;
    double unitsPerMm;
};
FieldSpec fieldSpec(ParamField field) noexcept;

/// The property a change writes into the selection.
enum class Property : std::uint8_t {
    Width,
    PadRadius,
    DrillRadius,
    Shape,
    ThroughPlating,
    SmdWidth,
    SmdHeight,
    Clearance
};

/// Writes one tool parameter into every selected element that carries the property and does
/// not have the value yet (see the .cpp for the rules per kind). Through-plating off removes one
/// pad of each selected pair: the one on the side of activeLayer stays and takes over the
/// connections of the other. Returns the board area that changed, nothing when nothing did.
std::optional<TRect> ApplyToSelection(ElementList& list, Property property, const ToolParameters& params,
                                      std::uint8_t activeLayer);
/// Whether ApplyToSelection would change any element.
bool selectionAffected(const ElementList& list, Property property, const ToolParameters& params,
                       std::uint8_t activeLayer);

/// The twin of a new through-plated pad: a copy on the other side with no connections, both
/// linked to each other. Returns the new twin, appended to the list.
TObjekt& AddTwin(ElementList& list, TObjekt& pad);

/// The tool-bar fields, their remembered defaults and the rules that tie them to the selection.
class ToolProperties
{
  public:
    ToolProperties();

    const ToolParameters& current() const noexcept { return current_; }
    const ToolParameters& defaults() const noexcept { return defaults_; }
    const LaySpinValue& field(ParamField f) const noexcept { return fields_[index(f)]; }
    /// Whether the field concerns the selection (drawn white on red; else yellow on black).
    bool highlighted(ParamField f) const noexcept { return highlighted_[index(f)]; }
    /// The fields a tool button highlights while the mouse is over it: Track, Ring and Area the
    /// width, Pad the two diameters, SMD pad the two sizes.
    static std::vector<ParamField> fieldsOfToolButton(int tool);

    /// Fills the fields after every change of the selection. A property shared by all selected
    /// elements that carry it is shown and becomes the tool value (and, with ctrl, the default);
    /// differing values leave the field; a property no selected element carries shows the tool
    /// value. Without any selection the five size fields return to their defaults.
    void showSelection(const ElementList& list, bool ctrl);

    /// The field got or lost the keyboard focus. Leaving normalises the text and applies it.
    void enterField(ParamField f);
    std::optional<TRect> leaveField(ParamField f, TProject& project);
    /// The text of a field changed (typing, the wheel, a list entry). The first change of a
    /// visit that alters selected elements takes one undo step; the value becomes the tool
    /// value, is written into the selection and, while the field has the focus, becomes the
    /// default.
    std::optional<TRect> editField(ParamField f, const std::string& text, TProject& project);
    /// The same with a number (wheel, list entries, programmatic changes).
    std::optional<TRect> setFieldValue(ParamField f, double mm, TProject& project);

    /// The shape menu: one undo step when pads change, then the shape becomes current.
    std::optional<TRect> setPadShape(std::uint8_t shape, TProject& project);
    /// "Durchkontaktierung" (menu or F12) switched to `on`.
    std::optional<TRect> setThroughPlating(bool on, TProject& project);

    /// A favourite entry chosen: one undo step when selected elements change, the fields take
    /// the entry's values (applied to the selection) and they become the defaults.
    std::optional<TRect> chooseFavourite(const FavouriteList& list, std::size_t entry, TProject& project);
    /// The current values in the terms of a list (width; outer and drill radius; SMD sizes).
    SizePair favouriteValue(FavouriteKind kind) const noexcept;
    /// "Hinzufügen" of a list from the current field texts.
    bool addFavourite(FavouriteList& list) const;

    /// Sets parameters directly (settings, tests); fields and defaults follow.
    void reset(const ToolParameters& params);

  private:
    static std::size_t index(ParamField f) noexcept { return static_cast<std::size_t>(f); }
    std::optional<TRect> applyValue(ParamField f, TProject& project, bool mayRecord);
    void showValue(ParamField f, std::int32_t units, bool makeDefault);

    ToolParameters current_;
    ToolParameters defaults_;
    std::array<LaySpinValue, ParamFieldCount> fields_;
    std::array<bool, ParamFieldCount> highlighted_{};
    std::array<bool, ParamFieldCount> visiting_{}; // entered since the last exit
    std::array<bool, ParamFieldCount> recorded_{}; // this visit took its undo step
    int focused_ = -1;
};

} // namespace trevok
