// The status texts of the drawing area: what the current tool expects next, in the three
// languages. Line breaks are "\n", which the status label shows as a new line.

#include "edit/session.h"

#include <array>

namespace trevok
{

namespace
{

struct HintRow {
    ToolHint hint;
    std::array<std::string, 3> text; // German, English, French
};

const std::array<HintRow, 19>& hintTable()
{
    static const std::array<HintRow, 19> table{{
        {ToolHint::StandardOverNode,
         {"|Knotenpunkte anklicken und verschieben.\nLöschen und Einfügen von Knotenpunkten mit rechter "
          "Maustaste",
          "|Move corners\nUse right mouse button to add/delete corners",
          "|Déplacer angles\nUtilisez le bouton droit de la souris pour ajouter/enlever des angles"}},
        {ToolHint::StandardFrame,
         {"|Standard: Markierungsrechteck wählen", "|Select: Draw a frame to select objects.",
          "|Sélection: dessinez un cadre pour sélectionner les objets."}},
        {ToolHint::Standard,
         {"|Standard: Objekte markieren, verschieben, löschen, kopieren, einfügen.\n<Leertaste> = Zoomen",
          "|Edit: Select, move, delete, copy or paste objects.\n<SPACE>=Zoom",
          "|Editer: Sélectionner, déplacer, effacer, copier ou coller objets.\n<ESPACE>=Zoom"}},
        {ToolHint::TrackDrawing,
         {"|Leiterbahn: Nächsten Endpunkt wählen, oder beenden mit rechter Maustaste.\nMit der Leertaste den "
          "Abknickmodus wählen, mit der STRG-Taste den Rasterfang ausschalten.",
          "|Track: Click to next point or abort with right mouse button.\nUse CTRL to turn capture off. Use "
          "SPACE "
          "to switch bend mode.",
          "|Piste: Cliquez sur le point suivant ou annulez avec un click sur le bouton droit de la souris.\n"
          "Utilisez la touche CTRL pour désactiver l´effet de la grille. Utilisez la barre ESPACE pour "
          "modifier "
          "le tracé."}},
        {ToolHint::TrackStart,
         {"|Leiterbahn: Startpunkt wählen mit linker Maustaste", "|Track: Click to start point",
          "|Piste: Cliquez à l´endroit de départ"}},
        {ToolHint::Pad,
         {"|Lötauge: Platzieren mit linker Maustaste, abbrechen mit rechter Maustaste",
          "|Pad: Click to add a pad, abort with right mouse button",
          "|Pastille: Cliquez pour ajouter une pastille, annuler avec un click sur le bouton droit de la "
          "souris"}},
        {ToolHint::ZoomRange,
         {"|Zoom: Darzustellenden Bereich wählen", "|Zoom: Select range", "|Zoom: Sélection niveau"}},
        {ToolHint::Zoom,
         {"|Zoom: Links = Zoom +, Rechts = Zoom -, ziehen = Bereich wählen",
          "|Zoom: Left=Zoom + / Right=Zoom - / Select range",
          "|Zoom: Gauche=Zoom + / Droite=Zoom - / Sélection niveau"}},
        {ToolHint::AreaDrawing,
         {"|Fläche: Nächsten Eckpunkt wählen, oder beenden mit rechter Maustaste\nMit der Leertaste den "
          "Abknickmodus wählen, mit der STRG-Taste den Rasterfang ausschalten.",
          "|Area: Click to next point or abort with right mouse button.\nUse CTRL to turn capture off. Use "
          "SPACE "
          "to switch bend mode.",
          "|Zone: Cliquez sur le point suivant ou annulez avec un click sur le bouton droit de la souris.\n"
          "Utilisez la touche CTRL pour désactiver l´effet de la grille. Utilisez la barre ESPACE pour "
          "modifier "
          "le tracé."}},
        {ToolHint::AreaStart,
         {"|Fläche: Startpunkt wählen", "|Area: Click to start point",
          "|surface: Cliquez à l´endroit de départ"}},
        {ToolHint::Circle,
         {"|Kreisring: Mittelpunkt anklicken und Grösse aufziehen", "|Circle: Click center and draw radius",
          "|Cercle: Cliquez au centre et définissez le rayon"}},
        {ToolHint::Text,
         {"|Text: Platzieren mit linker Maustaste, abbrechen mit rechter Maustaste",
          "|Text: Click to text position, abort with right mouse button",
          "|Texte: Clique sur la position du texte, annuler avec un click sur le bouton droit de la souris"}},
        {ToolHint::Test,
         {"|Testen: Testpunkt anklicken um verbundene Layoutelemente zu sehen",
          "|Test: Click to find connected areas", "|Test: Cliquez pour trouver les surfaces connectées"}},
        {ToolHint::ConnectionFirst,
         {"|Luftlinie: Erstes Lötauge mit linker Maustaste anklicken", "|Connection: Select first pad",
          "|Connexion: Sélectionnez la première pastille"}},
        {ToolHint::ConnectionNext,
         {"|Luftlinie: Nächstes Lötauge auswählen, oder beenden mit rechter Maustaste",
          "|Connection: Select second pad for connection, abort with right mouse button",
          "|Connexion: Sélectionnez la seconde pastille de la connexion, annuler avec un click sur le bouton "
          "droit "
          "de la souris"}},
        {ToolHint::Polygon,
         {"|Vieleck: Platzieren mit linker Maustaste, abbrechen mit rechter Maustaste",
          "|Polygon: Click to destination, abort with right mouse button",
          "|Polygone: Cliquez vers la destination, annuler avec un click sur le bouton droit de la souris"}},
        {ToolHint::AutoRoute,
         {"|Autoroute: Luftlinie oder Autoroute anklicken",
          "|Autoroute: Click on a connection to autoroute.\nClick on an existing autoroute to resolve it",
          "|Routeur automatique: Cliquez sur une connexion à router.\nCliquez sur une piste déjà routée pour "
          "annuler "
          "son tracé"}},
        {ToolHint::Measure,
         {"|Mess-Modus: Startpunkt anklicken und mit gedrückter Maustaste Ziel anfahren",
          "|Distance: Click to starting point, then move the mouse with pushed mousebutton",
          "|Distance: Cliquez sur le point de départ, puis déplacez la souris en restant appuyé sur le "
          "bouton "
          "gauche de la souris"}},
        {ToolHint::SmdPad,
         {"|SMD-Pad: Platzieren mit linker Maustaste, abbrechen mit rechter Maustaste",
          "|SMD-Pad: Click to add a SMD-pad, abort with right mouse button",
          "|SMD-Pad: Cliquez pour ajouter une pastille-CMS, annuler avec un click sur le bouton droit de la "
          "souris"}},
    }};
    return table;
}

} // namespace

const std::string& toolHintText(ToolHint hint, int language)
{
    static const std::string none;
    const int l = language == 1 || language == 2 ? language : 0;
    for (const HintRow& row : hintTable())
        if (row.hint == hint)
            return row.text[static_cast<std::size_t>(l)];
    return none;
}

} // namespace trevok
