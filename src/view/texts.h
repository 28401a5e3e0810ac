#pragma once
// The one mechanism for user-visible texts: the German design text with its English and French
// replacements, chosen by the language code that is fixed for the run.
//
//   label->setText(T("Breite [mm]:", "Width (mm):", "Largeur (mm):"));
//
// A replacement given as nullptr keeps the German text (as the design does for a few captions).
// Messages of the core (document/messages.h) are turned into text with MessageText and the same
// language code.

#include "document/messages.h"

#include <QString>

namespace trevok
{

/// 0 German, 1 English, 2 French; set once at start-up before any window is made.
int CurrentLanguage() noexcept;
void SetCurrentLanguage(int language) noexcept;

/// Told about every text chosen through T, with its three versions. Unset (the default) costs
/// nothing; the test that opens every window in every language uses it to learn which German
/// texts have a translation.
using TextObserver = void (*)(const char* de, const char* en, const char* fr);
void SetTextObserver(TextObserver observer) noexcept;

/// The text for the current language (UTF-8 literals).
QString T(const char* de, const char* en, const char* fr);
/// The text for a given language.
QString T(int language, const char* de, const char* en, const char* fr);

/// A core message in the current language, line breaks as in the message boxes.
QString MessageQ(MsgId id, const std::vector<std::string>& args = {});
QString CaptionQ(MsgId id);

/// Layer names as the user interface shows them: K1, B1, K2, B2 in German, C1, S1, C2, S2 else.
QString LayerCaption(int layer);

} // namespace trevok
