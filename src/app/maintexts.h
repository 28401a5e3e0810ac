#pragma once
// The texts of the main window in the three languages, as data: menu captions, control captions,
// hints, file-dialog filters and the folder browser's title, each under the name of the control
// that shows it; and the status texts that say what the current tool expects next.
//
// German is the design language; an English or French text given as nullptr keeps the German
// one (the layer menu "L1" has a French name only, for instance).

#include <QString>

class QObject;

#include <span>
#include <string_view>

namespace trevok
{

enum class TextKind { Menu, Caption, Hint, Filter, BrowserTitle };

struct MainTextRow {
    const char* control;
    TextKind kind;
    const char* de;
    const char* en; // nullptr: German text kept
    const char* fr; // nullptr: German text kept
};

/// Every row of the main window's table.
std::span<const MainTextRow> MainTextTable();

/// The text of a control in the current language: its menu caption or caption (a control has
/// at most one of the two). Empty for an unknown name.
QString MainText(std::string_view control);
/// The text of one kind (hint, filter, ...) of a control in the current language; empty when
/// there is none.
QString MainText(std::string_view control, TextKind kind);
/// The hint of a control in the current language, "short|long" or a single part.
inline QString MainHint(std::string_view control)
{
    return MainText(control, TextKind::Hint);
}

/// `TranslateMainWindow`: sets every text of the table on the objects below root whose object
/// name is the control name, in the current language: menu captions on actions (setText) and
/// menus (setTitle), captions on buttons, labels and group boxes, hints as tool tip (short part)
/// and status tip (long part). German is applied too, so that the window needs no texts of its
/// own. Filters and the folder-browser title are read with MainText where they are used.
void ApplyMainTexts(QObject* root);

/// The two parts of a hint "short|long": the short part is the tool tip, the long part goes to
/// the status line. Without "|" both parts are the whole text; "|long" has no short part.
struct HintParts {
    QString shortPart;
    QString longPart;
};
HintParts SplitHint(const QString& hint);

/// A file filter of the table ("Layout files (*.lay)|*.LAY|All files (*.*)|*.*") in the form
/// QFileDialog takes ("Layout files (*.lay *.LAY);;All files (*)"). Patterns match in both
/// cases, since file names on this system are case-sensitive, and "*.*" becomes "*" so that
/// files without an extension are listed too.
QString QtFileFilter(const QString& filter);

/// What the current tool expects next; the status line shows the long part. The order is that of
/// the session's ToolHint (edit/session.h) without its None, whose texts these are.
enum class ToolStatus {
    StandardOverNode, // standard tool, mouse over a node of the selection
    StandardFrame,    // standard tool, selection frame being drawn
    Standard,         // standard tool, otherwise
    TrackDrawing,
    TrackStart,
    Pad,
    ZoomRange, // zoom tool, range being drawn
    Zoom,
    AreaDrawing,
    AreaStart,
    Circle,
    Text,
    Test,
    ConnectionFirst, // no first pad chosen
    ConnectionNext,  // first pad chosen
    Polygon,
    Autoroute,
    Measure,
    SmdPad,
};
/// The hint for the board area ("|" followed by the long part), in the current language.
QString ToolStatusHint(ToolStatus status);

} // namespace trevok
