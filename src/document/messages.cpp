#include "document/messages.h"

#include <array>

namespace trevok
{
namespace
{

struct Entry {
    MsgId id;
    std::array<const char*, 3> caption;
    std::array<const char*, 3> text; // %1, %2 ... are replaced by the arguments
};

// clang-format off
const Entry kEntries[] = {
    {MsgId::NotATrevokFile, {"Öffnen", "Open", "Ouvrir"},
     {"\"%1\" ist keine Trevok Datei.", "\"%1\" is not a Trevok file.", "\"%1\" n´est pas un fichier Trevok."}},
    {MsgId::FileNotFound, {"Öffnen", "Open", "Ouvrir"},
     {"Datei nicht gefunden:\r\"%1\"", "File not found:\r\"%1\"", "Fichier non trouvé :\r\"%1\""}},
    {MsgId::ReadError, {"Öffnen", "Open", "Ouvrir"},
     {"Lesefehler in \"%1\": die Datei ist beschädigt oder unvollständig (%2).",
      "Read error in \"%1\": the file is damaged or incomplete (%2).",
      "Erreur de lecture de \"%1\" : le fichier est endommagé ou incomplet (%2)."}},
    {MsgId::WriteError, {"Speichern", "Save", "Enregistrer"},
     {"\"%1\" konnte nicht geschrieben werden: %2", "\"%1\" could not be written: %2",
      "\"%1\" n´a pas pu être écrit : %2"}},
    {MsgId::OlderVersion, {"Trevok", "Trevok", "Trevok"},
     {"Dieses Layout wurde mit einer älteren Version erstellt.\r\rDie Elemente auf den Kupferlayer K1 und K2 werden automatisch getauscht,\rum sich an die neue Layerzuordnung anzupassen.",
      "This layout was create with an older version.\r\rThe elements on the copper-layer C1 and C2 will be exchanged,\rbecause of the new layer-structure.",
      "Ce tracé a été crée avec une ancienne version.\r\rLes éléments des couches cuivres C1 et C2 seront interchangés\ren raison de la nouvelle structure des couches."}},
    {MsgId::FontTextQuestion, {"Trevok", "Trevok", "Trevok"},
     {"Sie haben %1 Font-Text Elemente auf dem Layout.\rDiese Elemente werden nicht mehr unterstützt.\r\rSollen diese automatisch in Layout-Texte umgewandelt werden?",
      "There are %1 Font-Text elements on the layout.\rThese elements will not be supported anymore.\r\rReplace these elements with Layout-Text elements?",
      "Il y a %1 Fontes de Textes dans le tracé.\rCes dernières ne seront désormais plus supportées.\r\rRemplacer celles-ci par des tracés d´éléments Textes ?"}},
    {MsgId::FontTextsConverted, {"Trevok", "Trevok", "Trevok"},
     {"Texte wurden konvertiert", "Text-elements converted.", "Elément Texte converti."}},
    {MsgId::TextNotGenerated, {"Layout-Text", "Layout-text", "Layout-text"},
     {"Der Text konnte nicht generiert werden.", "The text could not be generated.", "Le texte ne peut pas être généré."}},
    {MsgId::LastBoardNotDeleted, {"Trevok", "Trevok", "Trevok"},
     {"Die letzte Platine kann nicht gelöscht werden.", "A project must at least contains one board.",
      "Un projet doit contenir au moins une carte."}},
    {MsgId::BoardSizeRange, {"Trevok", "Trevok", "Trevok"},
     {"Der Wert muß zwischen 1..300 mm liegen.", "Please enter values from 1 mm to 300 mm.",
      "Entrez s´il vous plait des valeurs comprises entre 1 mm et 300 mm."}},
    {MsgId::SaveQuestion, {"Trevok", "Trevok", "Trevok"},
     {"Möchten Sie das aktuelle Layout speichern ?", "Save changes?", "Sauvegarder changements ?"}},
    {MsgId::DeleteBoardQuestion, {"Trevok", "Trevok", "Trevok"},
     {"Möchten Sie die Platine \"%1\" wirklich löschen?", "Delete board \"%1\" ?", "Effacer carte \"%1\" ?"}},
    {MsgId::MacroBoardEmpty, {"Makro speichern", "Savce macro", "Sauvegarder macro"},
     {"Es befinden sich keine Elemente auf der aktuellen Platine.", "There are no elements on the board.",
      "Il n´y a pas d´éléments sur la carte."}},
    {MsgId::MacroSaveWholeBoard, {"Makro speichern", "Save as macro", "Sauvegarder macro"},
     {"Sie haben keine Elemente markiert.\rSoll die gesamte Platine als Makro gespeichert werden ?",
      "No objects selected.\rSave whole layout as macro?",
      "Aucun objet sélectionné.\rSauvegarder tout le tracé comme une macro ?"}},
    {MsgId::MacroDeleteQuestion, {"Trevok", "Trevok", "Trevok"},
     {"Möchten Sie die Datei \"%1\" wirklich löschen?", "Delete file \"%1\" ?", "Effacer fichier \"%1\" ?"}},
    {MsgId::WriteProtected, {"Speichern", "Save", "Enregistrer"},
     {"\"%1\" ist schreibgeschützt und wurde nicht überschrieben.\rBitte speichern Sie unter einem anderen Namen.",
      "\"%1\" is write-protected and was not overwritten.\rPlease save under another name.",
      "\"%1\" est protégé en écriture et n´a pas été écrasé.\rEnregistrez s´il vous plait sous un autre nom."}},
    {MsgId::HardLinked, {"Speichern", "Save", "Enregistrer"},
     {"\"%1\" ist eine Datei mit %2 Namen (harte Verknüpfungen). Beim Speichern erhält nur dieser Name den neuen Inhalt; die anderen Namen behalten den bisherigen.\r\rTrotzdem speichern?",
      "\"%1\" is one file with %2 names (hard links). Saving gives the new content to this name only; the other names keep the previous content.\r\rSave anyway?",
      "\"%1\" est un fichier à %2 noms (liens physiques). L´enregistrement ne donne le nouveau contenu qu´à ce nom ; les autres noms gardent l´ancien contenu.\r\rEnregistrer quand même ?"}},
    {MsgId::OutOfMemory, {"Trevok", "Trevok", "Trevok"},
     {"Für diesen Befehl reicht der Arbeitsspeicher nicht. Der Befehl wurde abgebrochen; das Layout ist unverändert.",
      "There is not enough memory for this command. The command was stopped; the layout is unchanged.",
      "La mémoire ne suffit pas pour cette commande. La commande a été interrompue ; le tracé est inchangé."}},
    {MsgId::CommandFailed, {"Trevok", "Trevok", "Trevok"},
     {"Der Befehl wurde wegen eines Fehlers abgebrochen (%1). Das Layout ist unverändert.",
      "The command was stopped by an error (%1). The layout is unchanged.",
      "La commande a été interrompue par une erreur (%1). Le tracé est inchangé."}},
    {MsgId::MillLayerEmpty, {"Umriss erstellen", "Isolation milling", "Fraisage d´isolation"},
     {"Der gewählte Kupferlayer ist leer", "The selected layer is empty", "La couche de cuivre choisie est vide"}},
    {MsgId::OutlineNothingSelected, {"Platinenkontur erstellen", "PCB outline", "Contour de la carte"},
     {"Keine Elemente für die Platinenkontur gewählt", "No elements selected for the PCB outline",
      "Aucun élément choisi pour le contour de la carte"}},
    {MsgId::MillProblem, {"Isolationsfräsen", "Isolation milling", "Fraisage d´isolation"},
     {"1 Stelle, an der der Fräser nicht durchkommt: %1",
      "1 place where the mill cannot pass: %1",
      "1 endroit où la fraise ne peut pas passer : %1"}},
    {MsgId::MillProblems, {"Isolationsfräsen", "Isolation milling", "Fraisage d´isolation"},
     {"%1 Stellen, an denen der Fräser nicht durchkommt: %2",
      "%1 places where the mill cannot pass: %2",
      "%1 endroits où la fraise ne peut pas passer : %2"}},
    {MsgId::MillTextCrossing, {"Isolationsfräsen", "Isolation milling", "Fraisage d´isolation"},
     {"1 Stelle, an der ein Singleline-Text durch Kupfer fräst: %1",
      "1 place where a single-line text is milled through copper: %1",
      "1 endroit où un texte en trait simple est fraisé à travers le cuivre : %1"}},
    {MsgId::MillTextCrossings, {"Isolationsfräsen", "Isolation milling", "Fraisage d´isolation"},
     {"%1 Stellen, an denen ein Singleline-Text durch Kupfer fräst: %2",
      "%1 places where a single-line text is milled through copper: %2",
      "%1 endroits où un texte en trait simple est fraisé à travers le cuivre : %2"}},
    {MsgId::MillPlaneJoin, {"Isolationsfräsen", "Isolation milling", "Fraisage d´isolation"},
     {"1 Verbindung besteht nur über die Massefläche, die nicht gefräst wird, und bleibt auf der "
      "gefrästen Platine offen: %1",
      "1 connection is made only through the ground plane, which is not milled, and stays open on "
      "the milled board: %1",
      "1 connexion n´est faite que par le plan de masse, qui n´est pas fraisé, et reste ouverte sur "
      "la carte fraisée : %1"}},
    {MsgId::MillPlaneJoins, {"Isolationsfräsen", "Isolation milling", "Fraisage d´isolation"},
     {"%1 Verbindungen bestehen nur über die Massefläche, die nicht gefräst wird, und bleiben auf "
      "der gefrästen Platine offen: %2",
      "%1 connections are made only through the ground plane, which is not milled, and stay open "
      "on the milled board: %2",
      "%1 connexions ne sont faites que par le plan de masse, qui n´est pas fraisé, et restent "
      "ouvertes sur la carte fraisée : %2"}},
    {MsgId::MillCancelled, {"Isolationsfräsen", "Isolation milling", "Fraisage d´isolation"},
     {"Das Isolationsfräsen wurde abgebrochen; es wurde keine Datei geschrieben.",
      "Isolation milling was cancelled; no file was written.",
      "Le fraisage d´isolation a été interrompu ; aucun fichier n´a été écrit."}},
    {MsgId::ImageTooLarge, {"Trevok", "Trevok", "Trevok"},
     {"Für ein Bild von %1 x %2 Pixeln reicht der Speicher nicht.\rBitte wählen Sie eine kleinere Auflösung.",
      "There is not enough memory for an image of %1 x %2 pixels.\rPlease choose a lower resolution.",
      "La mémoire ne suffit pas pour une image de %1 x %2 pixels.\rVeuillez choisir une résolution plus basse."}},
    {MsgId::ImageWriteFailed, {"Trevok", "Trevok", "Trevok"},
     {"Das Bild (%1) konnte nicht erstellt werden: %2", "The image (%1) could not be made: %2",
      "L´image (%1) n´a pas pu être créée : %2"}},
    {MsgId::PdfNotMade, {"Drucken", "Print", "Imprimer"},
     {"Die PDF-Datei konnte nicht erstellt werden.", "The PDF could not be made.",
      "Le fichier PDF n´a pas pu être créé."}},
    {MsgId::FabCopper1, {}, {"Kupfer Seite 1 (oben)", "copper, side 1 (top)", "cuivre, face 1 (dessus)"}},
    {MsgId::FabCopper2, {}, {"Kupfer Seite 2 (unten)", "copper, side 2 (bottom)", "cuivre, face 2 (dessous)"}},
    {MsgId::FabPrint1, {},
     {"Bestückungsdruck Seite 1 (oben)", "component print, side 1 (top)", "sérigraphie, face 1 (dessus)"}},
    {MsgId::FabPrint2, {},
     {"Bestückungsdruck Seite 2 (unten)", "component print, side 2 (bottom)", "sérigraphie, face 2 (dessous)"}},
    {MsgId::FabMask1, {},
     {"Lötstopmaske Seite 1 (oben)", "solder mask, side 1 (top)", "masque de soudure, face 1 (dessus)"}},
    {MsgId::FabMask2, {},
     {"Lötstopmaske Seite 2 (unten)", "solder mask, side 2 (bottom)", "masque de soudure, face 2 (dessous)"}},
    {MsgId::FabOutline, {}, {"Platinenumriss", "board outline", "contour de la carte"}},
    {MsgId::FabDrill, {}, {"Bohrungen (Excellon, mm)", "drill holes (Excellon, mm)", "perçages (Excellon, mm)"}},
    {MsgId::FabFileList, {}, {"Liste der Dateien", "list of files", "liste des fichiers"}},
    {MsgId::FabOutlineLayerName, {}, {"UMRISS", "OUTLINE", "CONTOUR"}},
    {MsgId::FabListTitle, {},
     {"Fertigungsdaten von Trevok %1: \"%2\"", "Fabrication data from Trevok %1: \"%2\"",
      "Données de fabrication de Trevok %1: \"%2\""}},
    {MsgId::FabListSize, {}, {"Platinengröße: %1 mm x %2 mm", "Board size: %1 mm x %2 mm", "Taille de la carte : %1 mm x %2 mm"}},
    {MsgId::FabListFrame, {},
     {"Alle Lagen von Seite 1 (oben) gesehen, nicht gespiegelt; Gerber RS-274X in mm (3.2).",
      "Every layer as seen from side 1 (top), not mirrored; Gerber RS-274X in mm (3.2).",
      "Toutes les couches vues de la face 1 (dessus), non inversées ; Gerber RS-274X en mm (3.2)."}},
    // File names of eight characters at most; French keeps the German names.
    {MsgId::DrillFileName, {}, {"BOHRUNG", "DRILLING", "BOHRUNG"}},
    {MsgId::DrillFileNameForDiameter, {}, {"BOHR_%1", "DRIL_%1", "BOHR_%1"}},
    {MsgId::OutlineFileName, {}, {"KONTUR", "OUTLINE", "KONTUR"}},
};
// clang-format on

const Entry* find(MsgId id)
{
    for (const Entry& e : kEntries)
        if (e.id == id)
            return &e;
    return nullptr;
}

int clampLanguage(int language)
{
    return language < 0 || language > 2 ? 1 : language;
}

} // namespace

std::string MessageText(MsgId id, int language, const std::vector<std::string>& args)
{
    const Entry* e = find(id);
    if (!e)
        return {};
    const std::string pattern = e->text[clampLanguage(language)];
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const std::size_t k = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (k < args.size())
                out += args[k];
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

std::string MessageCaption(MsgId id, int language)
{
    const Entry* e = find(id);
    const char* caption = e ? e->caption[clampLanguage(language)] : nullptr;
    return caption ? caption : "Trevok";
}

TrevokError::TrevokError(MsgId id_, std::vector<std::string> args_)
    : std::runtime_error(MessageText(id_, 1, args_)), id(id_), args(std::move(args_))
{
}

} // namespace trevok
