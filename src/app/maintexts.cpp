#include "app/maintexts.h"

#include "edit/session.h"

#include "view/texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QStringList>

#include <array>

namespace trevok
{
namespace
{

constexpr TextKind M = TextKind::Menu;
constexpr TextKind C = TextKind::Caption;
constexpr TextKind H = TextKind::Hint;
constexpr TextKind F = TextKind::Filter;
constexpr TextKind B = TextKind::BrowserTitle;

// clang-format off
constexpr MainTextRow kRows[] = {
    // ---- File menu
    {"Datei1", M, "&Datei", "&File", "&Fichier"},
    {"Neu1", M, "&Neu", "&New", "&Nouveau"},
    {"ffnen1", M, "Ö&ffnen...", "&Open...", "&Ouvrir..."},
    {"Speichern1", M, "&Speichern", "&Save", "&Enregistrer"},
    {"Speichernals1", M, "Speichern &unter...", "Save &as...", "Enregistrer &sous..."},
    {"Makrospeichern1", M, "&Makro speichern...", "Save as &macro...", "Sauvegarder &macro..."},
    {"Autospeichern1", M, "&Autospeichern...", "Au&toSave...", "Sauvegarde au&to..."},
    {"Exportieren1", M, "&Exportieren", "&Export", "E&xporter"},
    {"Arbeitsverzeichnisse1", M, "Arbeitsverzeichnisse...", "Default-di&rectories...", "&Répertoires par défaut..."},
    {"Druckereinrichten1", M, "D&rucker einrichten...", "Printer set&up...", "&Configuration imprimante..."},
    {"Drucken1", M, "&Drucken...", "&Print...", "&Imprimer..."},
    {"GerberFormat1", M, "&Gerber-Format...", "&Gerber format...", "Format &Gerber..."},
    {"BohrDatenExcellon1", M, "&Bohrdaten (Excellon)...", "&Drill data (Excellon)...", "&Données perçages (Excellon)..."},
    {"Frsdateien1", M, "Fräsdateien", "Milling files", "Fichiers de fraisage"},
    {"UmrissHPGLplt1", M, "Isolationsfräsen... (HPGL, *.plt)", "Isolation milling (HPGL, *.plt)", "Fraisage d'isolation (HPGL, *.plt)"},
    {"GCode1", M, "G-Code...", "G-Code...", "G-code..."},
    {"PlatinenkonturHPGLplt1", M, "Platinenkontur... (HPGL, *.plt)", "PCB outline milling (HPGL, *.plt)", "Fraisage du contour (HPGL, *.plt)"},
    {"Beenden1", M, "&Beenden", "E&xit", "&Quitter"},
    // ---- Edit menu
    {"Bearbeiten1", M, "&Bearbeiten", "&Edit", "&Editer"},
    {"Undo", M, "Rückgängig", "&Undo", "Retour en a&rrière"},
    {"Redo", M, "Wiederherstellen", "&Redo", "Retour en a&vant"},
    {"Kopieren1", M, "&Kopieren", "&Copy", "&Copier"},
    {"Ausschneiden1", M, "&Ausschneiden", "Cu&t", "C&ouper"},
    {"Einfgen1", M, "&Einfügen", "&Paste", "Co&ller"},
    {"Duplizieren1", M, "&Duplizieren", "Dup&licate", "&Dupliquer"},
    {"Lschen1", M, "&Löschen  [Entf]", "&Delete [Del]", "E&ffacer [Del]"},
    {"Allesmarkieren1", M, "Alles &markieren", "Select &all", "&Tout sélectionner"},
    // ---- Board menu
    {"Platine1", M, "&Platine", "&Board", "&Carte"},
    {"NeuePlatine1", M, "&Neue Platine...", "&New board...", "&Nouvelle carte..."},
    {"Platinengrsse1", M, "Platine &einrichten...", "Board &properties...", "&Propriétés carte..."},
    {"Platinelschen1", M, "Platine &löschen...", "&Delete board...", "&Effacer carte..."},
    {"Platinenachrechts1", M, "Platine ganz nach &rechts", "Move board to the &end", "Déplacer carte à la &fin"},
    {"Platinenachlinks1", M, "Platine ganz nach lin&ks", "Move board to the &start", "Déplacer carte au &début"},
    {"Platineeinsnachrechts1", M, "Platine eins nach rechts", "Move board one place right", "Déplacer carte d'un cran à droite"},
    {"Platineeinsnachlinks1", M, "Platine eins nach links", "Move board one place left", "Déplacer carte d'un cran à gauche"},
    {"Platinennachladen1", M, "Pla&tinen nachladen...", "&Load boards...", "&Charger cartes..."},
    // ---- Functions menu
    {"Funktionen1", M, "F&unktionen", "F&unctions", "Fo&nctions"},
    {"Rotieren1", M, "&Rotieren", "R&otate", "&Rotation"},
    {"Horizontalspiegeln2", M, "&Horizontal spiegeln", "Mirror &horizontal", "Miroir &horizontal"},
    {"Vertikalspiegeln2", M, "&Vertikal spiegeln", "Mirror &vertical", "Miroir &vertical"},
    {"Kreisbogen2", M, "Kreisbogen...", "Arc...", "Arc de cercle..."},
    {"Gruppieren1", M, "&Gruppieren", "&Group", "&Grouper"},
    {"Gruppierungaufheben1", M, "Gruppierung a&ufheben", "&Ungroup", "D&issocier"},
    {"Layerwechseln1", M, "Auf andere Platinenseite setzen", "Move to other board side", "Placer sur l'autre face"},
    {"SetzeaufLayer1", M, "Setze auf Layer", "Set to layer", "Placer sur la couche"},
    {"K12", M, "K1", "C1", "C1"},
    {"B12", M, "B1", "S1", "S1"},
    {"K22", M, "K2", "C2", "C2"},
    {"B22", M, "B2", "S2", "S2"},
    {"amRasterausrichten1", M, "Am Raster ausrichten", "Snap to grid", "Aligner sur la grille"},
    {"Luftlinienentfernen1", M, "&Luftlinien entfernen", "&Remove connections (rubberbands)", "&Enlever connexions (élastiques)"},
    {"LscheElementeausserhalb1", M, "Lösche Elemente ausserhalb", "Delete elements outside the board", "Effacer les éléments hors de la carte"},
    {"Designprfung1", M, "Design&prüfung...", "Design chec&k...", "Vérification de concep&tion..."},
    // ---- Options menu
    {"Optionen1", M, "&Optionen", "&Options", "&Options"},
    {"Vorlage1", M, "&Vorlage...", "&Scanned copy...", "&Copie scannée..."},
    {"Makrofenster1", M, "&Makrofenster", "&Macro window", "Fenêtre &macros"},
    {"MakroVerzeichnis1", M, "Makro-Stammverzeichnis...", "Macro root directory...", "Répertoire racine des macros..."},
    {"M_AutoMasse", M, "&AutoMasse", "&GroundPlane", "&Plans de masse"},
    {"Linealeinheit1", M, "Linealeinheit", "Ruler unit", "Unité des règles"},
    {"E_Zoll", M, "Zoll", "Inch", "Pouce"},
    {"M_PlatinenZoom", M, "Platinen-Zoom anzeigen", "Show board overview", "Afficher vue d'ensemble"},
    {"ZoomPlatine1", M, "Zoom Platine", "Zoom board", "Zoom carte"},
    {"ZoomObjekte1", M, "Zoom alle Objekte", "Zoom all objects", "Zoom tous les objets"},
    {"ZoomMarkierung1", M, "Zoom auf Markierung", "Zoom selection", "Zoom sélection"},
    {"Zoomvorher1", M, "Zoom vorher", "Previous zoom", "Zoom précédent"},
    {"Neuzeichnen1", M, "Neu zeichnen", "Redraw", "Redessiner"},
    {"Farbendefinieren1", M, "Farben definieren...", "Define colours...", "Définir couleurs..."},
    {"Projektinfo1", M, "Projektinfo...", "Project info...", "Infos projet..."},
    {"Hinweistexte1", M, "&Hinweistexte", "&Hints", "&Bulles d'aide"},
    {"M_ZoomAmMauszeiger", M, "&Zoom am Mauszeiger", "&Zoom at cursor", "&Zoom sur le curseur"},
    {"M_LeiterbahnenMitziehen", M, "&Leiterbahnen mitziehen", "Drag connected &tracks",
     "Entraîner les pis&tes connectées"},
    {"UndoTiefe1", M, "Undo-Tiefe...", "UNDO depth...", "Nombre d´opérations de retour en arrière.."},
    {"M_PruefenVorExport", M, "Design vor dem E&xport prüfen", "Check the design before e&xport", "Vérifier la conception avant l'e&xport"},
    // ---- Layer menu
    {"L1", M, "Layer", nullptr, "Couche"},
    {"AktiverLayer1", M, "&Aktiver Layer", "&Active layer", "Couche &active"},
    {"SichtbareLayer1", M, "&Sichtbare Layer", "&Visible layers", "Couches &visibles"},
    {"K1", M, "&Kupferseite  (1)", "&Copper (1)", "&Cuivre (1)"},
    {"K2", M, "K&upferseite  (2)", "C&opper (2)", "C&uivre (2)"},
    {"B1", M, "&Bestückungsseite  (1)", "&Silkscreen (1)", "&Sérigraphie (1)"},
    {"B2", M, "B&estückungsseite  (2)", "S&ilkscreen (2)", "S&érigraphie (2)"},
    {"SK1", M, "&Kupferseite  (1)", "&Copper (1)", "&Cuivre (1)"},
    {"SK2", M, "K&upferseite  (2)", "C&opper (2)", "C&uivre (2)"},
    {"SB1", M, "&Bestückungsseite  (1)", "&Silkscreen (1)", "&Sérigraphie (1)"},
    {"SB2", M, "B&estückungsseite  (2)", "S&ilkscreen (2)", "S&érigraphie (2)"},
    // ---- Help menu
    {"Index1", M, "&Hilfethemen...", "&Help topics...", "&Rubriques d'aide..."},
    // ---- Pad shapes
    {"rund1", M, "Rund", "Round", "Rond"},
    {"Quadrat1", M, "Quadratisch", "Square", "Carré"},
    {"Abegrundetquer1", M, "Abgegrundet, quer", "Rounded, horizontal", "Arrondi, horizontal"},
    {"Abgerundethoch1", M, "Abgerundet, hoch", "Rounded, vertical", "Arrondi, vertical"},
    {"Rechteckquer1", M, "Rechteck, quer", "Rectangle, horizontal", "Rectangle, horizontal"},
    {"Rechteckhoch1", M, "Rechteck, hoch", "Rectangle, vertical", "Rectangle, vertical"},
    {"Octagonquer1", M, "Octagon, quer", "Octagon, horizontal", "Octogone, horizontal"},
    {"Octagonhoch1", M, "Octagon, hoch", "Octagon, vertical", "Octogone, vertical"},
    {"Durchkontaktierung1", M, "Durchkontaktierung", "Through-plated", "Métallisé"},
    // ---- Context menu of the board
    {"Kopieren2", M, "&Kopieren", "&Copy", "&Copier"},
    {"Ausschneiden2", M, "&Ausschneiden", "Cu&t", "C&ouper"},
    {"Einfgen2", M, "&Einfügen", "&Paste", "Co&ller"},
    {"Lschen2", M, "&Löschen  [Entf]", "&Delete [Del]", "E&ffacer [Del]"},
    {"Duplizieren2", M, "&Duplizieren", "Dup&licate", "&Dupliquer"},
    {"Rotieren2", M, "&Rotieren", "R&otate", "&Rotation"},
    {"Horizontalspiegeln1", M, "&Horizontal spiegeln", "Mirror &horizontal", "Miroir &horizontal"},
    {"Vertikalspiegeln1", M, "&Vertikal spiegeln", "Mirror &vertical", "Miroir &vertical"},
    {"Gruppieren2", M, "&Gruppieren", "&Group", "&Grouper"},
    {"Gruppierungaufheben2", M, "Gruppierung a&ufheben", "&Ungroup", "D&issocier"},
    {"Kreisbogen1", M, "Kreisbogen...", "Arc...", "Arc de cercle..."},
    {"Eigenschaften1", M, "Eigen&schaften...", "P&roperties...", "&Propriétés..."},
    {"Layerwechseln2", M, "Auf andere Platinenseite setzen", "Move to other board side", "Placer sur l'autre face"},
    {"AufLayer1", M, "Setze auf Layer", "Set to layer", "Placer sur la couche"},
    {"K11", M, "K1", "C1", "C1"},
    {"B11", M, "B1", "S1", "S1"},
    {"K21", M, "K2", "C2", "C2"},
    {"B21", M, "B2", "S2", "S2"},
    {"Nullpunktsetzen1", M, "Nullpunkt setzen", "Set origin", "Définir l'origine"},
    // ---- Grid menu
    {"Rastermarkierung1", M, "Rastermarkierung", "Subdivisions", "Subdivisions"},
    {"Rastersichtbar1", M, "Raster sichtbar", "Grid visible", "Grille visible"},
    {"R_Entfernen", M, "Akuelles Raster entfernen", "Remove current grid", "Enlever la grille actuelle"},
    {"R_Hinzufuegen", M, "Neues Raster hinzufügen...", "Add new grid...", "Ajouter une grille..."},
    {"RM_Aus", M, "Aus", "Off", "Aucune"},
    // ---- Parameter lists
    {"L_Hinzufuegen", M, "Hinzufügen", "Add", "Ajouter"},
    {"L_Entfernen", M, "Entfernen", "Remove", "Enlever"},
    {"LA_Hinzufuegen", M, "Hinzufügen", "Add", "Ajouter"},
    {"LA_Entfernen", M, "Entfernen", "Remove", "Enlever"},
    {"SMD_Hinzufuegen", M, "Hinzufügen", "Add", "Ajouter"},
    {"SMD_Entfernen", M, "Entfernen", "Remove", "Enlever"},
    // ---- Node menu
    {"NeuerKnoten1", M, "Neuer Knoten", "New corner", "Nouvel angle"},
    {"Knotenentfernen1", M, "Knoten entfernen", "Delete corner", "Effacer l'angle"},
    {"Trennen1", M, "Leiterbahn auftrennen", "Split track", "Couper la piste"},
    {"AmRasterausrichten2", M, "Knoten am Raster ausrichten", "Snap corner to grid", "Aligner l'angle sur la grille"},
    // ---- Tab menu
    {"NeuePlatine2", M, "&Neue Platine...", "&New board...", "&Nouvelle carte..."},
    {"Platineeinrichten1", M, "Platine &einrichten...", "Board &properties...", "&Propriétés carte..."},
    {"Platinelschen2", M, "Platine &löschen...", "&Delete board...", "&Effacer carte..."},
    {"Platinenachrechts2", M, "Platine ganz nach &rechts", "Move board to the &end", "Déplacer carte à la &fin"},
    {"Platinenachlinks2", M, "Platine ganz nach lin&ks", "Move board to the &start", "Déplacer carte au &début"},
    {"platineeinsnachrechts2", M, "Platine eins nach rechts", "Move board one place right", "Déplacer carte d'un cran à droite"},
    {"Platineeinsnachlinks2", M, "Platine eins nach links", "Move board one place left", "Déplacer carte d'un cran à gauche"},
    // ---- Zoom menu
    {"Zoomalles1", M, "Zoom Platine", "Zoom board", "Zoom carte"},
    {"ZoomalleObjekte1", M, "Zoom alle Objekte", "Zoom all objects", "Zoom tous les objets"},
    {"ZoomaufMarkierung1", M, "Zoom auf Markierung", "Zoom selection", "Zoom sélection"},
    {"Zoomvorher2", M, "Zoom vorher", "Previous zoom", "Zoom précédent"},
    // ---- Align menu
    {"Obenausrichten1", M, "Oben ausrichten", "Align top", "Aligner en haut"},
    {"Untenausrichten1", M, "Unten ausrichten", "Align bottom", "Aligner en bas"},
    {"Linksausrichten1", M, "Links ausrichten", "Align left", "Aligner à gauche"},
    {"Rechtsausrichten1", M, "Rechts ausrichten", "Align right", "Aligner à droite"},
    {"HorizontalMittigausrichten1", M, "Horizontal-Mittig ausrichten", "Centre horizontally", "Centrer horizontalement"},
    {"VertikalMittigausrichten1", M, "Vertikal-Mittig ausrichten", "Centre vertically", "Centrer verticalement"},

    // ---- Control captions
    {"SB_Standard", C, "Standard", "Edit", "Editer"},
    {"SB_Line", C, "Leiterbahn", "Track", "Piste"},
    {"SB_Circle", C, "Lötauge", "Pad", "Pastille"},
    {"SB_Ring", C, "Kreisring", "Circle", "Cercle"},
    {"SB_Polygon", C, "Fläche", "Area", "Zone"},
    {"SB_Vieleck", C, "Vieleck", "Polygon", "Polygone"},
    {"SB_Connect", C, "Luftlinie", "Connections", "Connexions"},
    {"SB_AutoRoute", C, "Autoroute", "Autoroute", "Routage auto"},
    {"SB_Messen", C, "Messen", "Measure", "Mesurer"},
    {"SB_RealAnsicht", C, "Fotoansicht", "Photo view", "Vue photo"},
    {"SB_SMDPad", C, "SMD-Pad", nullptr, "Pastille CMS"},
    {"SB_LineText", C, "Text", nullptr, "Texte"},
    {"Label1", C, "Breite:", "Width:", "Largeur:"},
    {"Label2", C, "Aussen:", "Outer:", "Extérieur:"},
    {"Label3", C, "Innen:", "Drill:", "Perçage:"},
    {"Panel6", C, "Makros", "Macros", "Macros"},
    {"SB_K1", C, "K1", "C1", "C1"},
    {"SB_B1", C, "B1", "S1", "S1"},
    {"SB_K2", C, "K2", "C2", "C2"},
    {"SB_B2", C, "B2", "S2", "S2"},
    {"L_Abstand1", C, "Abstand:", "Distance:", "Distance:"},
    {"L_Winkel1", C, "Winkel:", "Angle:", "Angle:"},
    {"MakroBrowseDlg", C, "Makro-Stammverzeichnis wählen", "Select macro root directory", "Choisir le répertoire racine des macros"},

    // ---- Hints: tool bar
    {"TB_Neu", H, "Neu|Beginnt ein neues Layout", "New", "Nouveau"},
    {"TB_Open", H, "Öffnen|Öffnet ein Layout", "Open", "Ouvrir"},
    {"TB_Save", H, "Speichern|Speichert das Layout", "Save", "Enregistrer"},
    {"TB_Print", H, "Drucken|Druckt das Layout", "Print", "Imprimer"},
    {"TB_Undo", H, "Rückgängig|Macht die letzte Änderung rückgängig", "Undo", "Retour en arrière"},
    {"TB_Redo", H, "Wiederherstellen|Stellt die zuletzt rückgängig gemachte Änderung wieder her", "Redo", "Retour en avant"},
    {"TB_Cut", H, "Ausschneiden|Schneidet die markierten Elemente aus", "Cut", "Couper"},
    {"TB_Copy", H, "Kopieren|Kopiert die markierten Elemente", "Copy", "Copier"},
    {"TB_Paste", H, "Einfügen|Fügt die kopierten Elemente ein", "Paste", "Coller"},
    {"TB_Delete", H, "Löschen|Löscht die markierten Elemente", "Delete", "Effacer"},
    {"TB_Duplizieren", H, "Duplizieren|Verdoppelt die markierten Elemente", "Duplicate", "Dupliquer"},
    {"TB_Rotieren", H, "Rotieren|Dreht die markierten Elemente um 90°", "Rotate", "Rotation"},
    {"TB_HSpiegeln", H, "Horizontal spiegeln|Spiegelt die markierten Elemente horizontal", "Mirror horizontal", "Miroir horizontal"},
    {"TB_VSpiegeln", H, "Vertikal spiegeln|Spiegelt die markierten Elemente vertikal", "Mirror vertical", "Miroir vertical"},
    {"TB_Ausrichten", H, "Ausrichten|Richtet die markierten Elemente aneinander aus", "Align", "Aligner"},
    {"TB_AmRasterAusrichten", H, "Am Raster ausrichten|Setzt die markierten Elemente auf das Raster", "Snap to grid", "Aligner sur la grille"},
    {"TB_ClearConnections", H, "Luftlinien entfernen|Entfernt die Luftlinien, die durch Leiterbahnen verbunden sind", "Remove connections", "Enlever connexions"},
    {"TB_Gruppieren", H, "Gruppieren|Fasst die markierten Elemente zu einer Gruppe zusammen", "Group", "Grouper"},
    {"TB_GruppeAufloesen", H, "Gruppierung aufheben|Löst die Gruppe der markierten Elemente auf", "Ungroup", "Dissocier"},
    {"TB_Zoom", H, "Zoom|Zoom Platine, alle Objekte, Markierung oder vorher", "Zoom", "Zoom"},
    {"TB_Neuzeichnen", H, "Neu zeichnen|Zeichnet die Platine neu", "Redraw", "Redessiner"},
    {"TB_Vorlage", H, "Vorlage|Eingescannte Vorlage unter der Platine", "Scanned copy", "Copie scannée"},
    {"TB_Makro", H, "Makros|Zeigt oder verbirgt das Makrofenster", "Macros", "Macros"},
    {"TB_Designpruefung", H, "Designprüfung|Prüft die Platine auf Abstände, Breiten, Bohrungen und offene Verbindungen", "Design check|Checks the board for gaps, widths, drills and open connections", "Vérification de conception|Contrôle écarts, largeurs, perçages et connexions ouvertes de la carte"},
    {"TB_Info", H, "Projektinfo|Titel, Autor, Firma und Kommentar des Projekts", "Project info", "Infos projet"},
    // ---- Hints: tools
    {"SB_Standard", H, "Standard|Objekte markieren, verschieben und bearbeiten", "Edit|Select, move and edit objects", "Editer|Sélectionner, déplacer et modifier des objets"},
    {"SB_Zoom", H, "Zoom|Vergrössern, verkleinern oder Bereich wählen", "Zoom|Zoom in, zoom out or select a range", "Zoom|Agrandir, réduire ou sélectionner une zone"},
    {"SB_Line", H, "Leiterbahn|Leiterbahnen zeichnen", "Track|Draw tracks", "Piste|Tracer des pistes"},
    {"SB_Circle", H, "Lötauge|Lötaugen platzieren", "Pad|Place pads", "Pastille|Placer des pastilles"},
    {"SB_SMDPad", H, "SMD-Pad|SMD-Pads platzieren", "SMD-Pad|Place SMD pads", "Pastille CMS|Placer des pastilles CMS"},
    {"SB_Ring", H, "Kreisring|Kreise, Ringe und Kreisbögen zeichnen", "Circle|Draw circles, rings and arcs", "Cercle|Tracer des cercles, anneaux et arcs"},
    {"SB_Polygon", H, "Fläche|Gefüllte Flächen zeichnen", "Area|Draw filled areas", "Zone|Tracer des zones remplies"},
    {"SB_Vieleck", H, "Vieleck|Regelmässige Vielecke erzeugen", "Polygon|Create regular polygons", "Polygone|Créer des polygones réguliers"},
    {"SB_LineText", H, "Text|Text auf der Platine platzieren", "Text|Place text on the board", "Texte|Placer du texte sur la carte"},
    {"SB_Connect", H, "Luftlinie|Luftlinien zwischen Lötaugen ziehen", "Connections|Draw rubberband connections between pads", "Connexions|Tracer des connexions élastiques entre pastilles"},
    {"SB_Test", H, "Test|Zeigt verbundene Kupferflächen", "Test|Show connected copper", "Test|Afficher le cuivre connecté"},
    {"SB_AutoRoute", H, "Autoroute|Autorouter zum Routen von Luftlinien", "Autorouter|Autorouter for routing rubberband connections", "Routeur automatique|Routeur automatique pour tracer les connexions élastiques"},
    {"SB_Messen", H, "Messen|Abstände und Winkel messen", "Measure|Measure distances and angles", "Mesurer|Mesurer distances et angles"},
    {"SB_RealAnsicht", H, "Fotoansicht|Zeigt die Platine, wie sie gefertigt aussieht", "Photo view|Show the board as it will be made", "Vue photo|Afficher la carte telle qu'elle sera fabriquée"},
    {"SB_Raster", H, "Raster|Rastermass wählen", "Grid|Select the grid", "Grille|Choisir la grille"},
    // ---- Hints: tool parameters
    {"SE_Breite", H, "Leiterbahnbreite|Breite neuer und markierter Leiterbahnen in mm", "Track width", "Largeur piste"},
    {"SE_Aussen", H, "Lötaugen-Durchmesser|Aussendurchmesser neuer und markierter Lötaugen in mm", "Pad diameter", "Diamètre pastille"},
    {"SE_Innen", H, "Bohrung|Bohrdurchmesser neuer und markierter Lötaugen in mm", "Drill diameter", "Diamètre perçage"},
    {"SE_SMDPad_X", H, "SMD-Breite|Breite neuer und markierter SMD-Pads in mm", "SMD-Pad width", "Largeur pastille CMS"},
    {"SE_SMDPad_Y", H, "SMD-Höhe|Höhe neuer und markierter SMD-Pads in mm", "SMD-Pad height", "Hauteur pastille CMS"},
    {"SB_LineContainer", H, "Leiterbahnbreiten|Liste häufig benutzter Leiterbahnbreiten", "Track widths|List of favourite track widths", "Largeurs de piste|Liste des largeurs de piste favorites"},
    {"SB_LoetaugenContainer", H, "Lötaugengrössen|Liste häufig benutzter Lötaugengrössen", "Pad sizes|List of favourite pad sizes", "Tailles de pastille|Liste des tailles de pastille favorites"},
    {"SB_SMDContainer", H, "SMD-Grössen|Liste häufig benutzter SMD-Pad-Grössen", "SMD sizes|List of favourite SMD-pad sizes", "Tailles CMS|Liste des tailles de pastille CMS favorites"},
    // ---- Hints: layers
    {"SB_K1", H, "Layer sichtbar/unsichtbar schalten ( auch mit F5...F8 möglich)", "Show/hide layer (also with F5...F8)", "Afficher/masquer la couche (aussi avec F5...F8)"},
    {"SB_B1", H, "Layer sichtbar/unsichtbar schalten ( auch mit F5...F8 möglich)", "Show/hide layer (also with F5...F8)", "Afficher/masquer la couche (aussi avec F5...F8)"},
    {"SB_K2", H, "Layer sichtbar/unsichtbar schalten ( auch mit F5...F8 möglich)", "Show/hide layer (also with F5...F8)", "Afficher/masquer la couche (aussi avec F5...F8)"},
    {"SB_B2", H, "Layer sichtbar/unsichtbar schalten ( auch mit F5...F8 möglich)", "Show/hide layer (also with F5...F8)", "Afficher/masquer la couche (aussi avec F5...F8)"},
    {"RB_K1", H, "Aktiven Layer wählen ( auch mit F1...F4 möglich)", "Select the active layer (also with F1...F4)", "Choisir la couche active (aussi avec F1...F4)"},
    {"RB_B1", H, "Aktiven Layer wählen ( auch mit F1...F4 möglich)", "Select the active layer (also with F1...F4)", "Choisir la couche active (aussi avec F1...F4)"},
    {"RB_K2", H, "Aktiven Layer wählen ( auch mit F1...F4 möglich)", "Select the active layer (also with F1...F4)", "Choisir la couche active (aussi avec F1...F4)"},
    {"RB_B2", H, "Aktiven Layer wählen ( auch mit F1...F4 möglich)", "Select the active layer (also with F1...F4)", "Choisir la couche active (aussi avec F1...F4)"},
    // ---- Hints: status line and macro panel
    {"L_XPos", H, "X-Position|X-Koordinate des Mauszeigers, vom Nullpunkt aus", "X position|X coordinate of the mouse pointer from the origin", "Position X|Coordonnée X du pointeur depuis l'origine"},
    {"L_YPos", H, "Y-Position|Y-Koordinate des Mauszeigers, vom Nullpunkt aus", "Y position|Y coordinate of the mouse pointer from the origin", "Position Y|Coordonnée Y du pointeur depuis l'origine"},
    {"SB_AutoMasse", H, "AutoMasse|Schaltet die AutoMasse für das Layout ein/aus", "Enable/disable ground plane", "Activer/désactiver plan de masse"},
    {"SE_FreistanzOffset", H, "Freistanzbreite|Breite der Freistanzung in der AutoMasse", "Distance|Distance from ground plane", "Distance|Distance depuis plan de masse"},
    {"SB_MakroSave", H, "Makro speichern|Speichert die markierten Elemente als Makro", "Save as macro", "Sauvegarder macro"},
    {"SB_MakroDelete", H, "Makro löschen|Löscht das gewählte Makro", "Delete macro", "Effacer macro"},
    {"PB_Makro", H, "Makrovorschau|Makro mit der Maus auf die Platine ziehen", "Macro preview|Drag the macro onto the board", "Aperçu macro|Faites glisser la macro sur la carte"},
    {"LB_Makro", H, "Makros|Makro wählen", "Macros|Select a macro", "Macros|Choisir une macro"},
    {"SB_Einheit", H, "Einheit|Umschalten zwischen mm und Zoll", "Unit|Switch between mm and inch", "Unité|Basculer entre mm et pouce"},
    {"SB_MakroDurchkontaktieren", H, "Durchkontaktiert|Alle Lötaugen des Makros durchkontaktiert", "Through-plated|All pads of the macro through-plated", "Métallisé|Toutes les pastilles de la macro métallisées"},
    {"SB_MakroSpiegeln", H, "Makro spiegeln|Makro gespiegelt platzieren", "Mirror macro|Place the macro mirrored", "Miroir macro|Placer la macro en miroir"},
    {"SB_MakroLayerChange", H, "Seite wechseln|Makro auf der anderen Platinenseite platzieren", "Change side|Place the macro on the other board side", "Changer de face|Placer la macro sur l'autre face"},
    {"SB_LayerInfo", H, "LayerInfo|Zeigt die Farben der einzelnen Layer und deren Bedeutung an", "Layer info|Shows the colour and meaning of each layer", "Information couches|Affiche la couleur et la signification de chaque couche"},
    {"SB_Layoutgroesse", H, "Platine einrichten|Grösse und Name der Platine", "Board properties|Size and name of the board", "Propriétés carte|Dimensions et nom de la carte"},
    {"SB_Sperrflaeche", H, "Sperrflächen|Sperrflächen in der AutoMasse erzeugen", "Cutout|Generate cutout-areas in the ground plane", "Zones d´exclusions|Création de zones d´exclusions dans le plan de masse"},
    {"SB_MakroDir", H, "Makroordner|Unterordner der Makrobibliothek wählen", "Macro folder|Select a sub-folder of the macro library", "Dossier macros|Choisir un sous-dossier de la bibliothèque de macros"},
    {"SB_MakroDirSelect", H, "Makro-Stammverzeichnis|Stammverzeichnis der Makrobibliothek wählen", "Macro root directory|Select the root folder of the macro library", "Répertoire racine|Choisir le dossier racine de la bibliothèque de macros"},
    {"SpeedButton1", H, "Schliessen|Makrofenster ausblenden", "Close|Hide the macro window", "Fermer|Masquer la fenêtre des macros"},
    {"K0_Shape", H, "Nullpunkt|Mit der Maus verschieben, um den Nullpunkt zu setzen", "Origin|Drag to move the origin", "Origine|Faites glisser pour déplacer l'origine"},
    {"SH_Platine", H, "Platinen-Zoom|Die ganze Platine; der Rahmen zeigt den sichtbaren Bereich", "Board overview|The whole board; the frame shows the visible range", "Vue d'ensemble|La carte entière; le cadre montre la zone visible"},
    {"SH_Zoom", H, "Sichtbarer Bereich|Ziehen = verschieben, Links = Zoom +, Rechts = Zoom -", "Visible range|Drag = scroll, Left = Zoom + / Right = Zoom -", "Zone visible|Glisser = défiler, Gauche = Zoom + / Droite = Zoom -"},

    // ---- File dialogs and folder browser
    {"SaveDialog", F, "Layout-Dateien (*.lay)|*.lay|Alle Dateien (*.*)|*.*", "Layout files (*.lay)|*.LAY|All Files (*.*)|*.*", "Fichiers Layout (*.lay)|*.LAY|Tous les fichiers (*.*)|*.*"},
    {"OpenDialog", F, "Layout-Dateien (*.lay)|*.lay|Alle Dateien (*.*)|*.*", "Layout files (*.lay)|*.LAY|All files (*.*)|*.*", "Fichiers Layout (*.lay)|*.LAY|Tous les fichiers (*.*)|*.*"},
    {"SaveDrillDlg", F, "Bohrdaten (*.drl)|*.drl", "Drill files (*.drl)|*.DRL", "Fichiers perçage (*.drl)|*.DRL"},
    {"MakroBrowseDlg", B, "In dem Stammverzeichnis sollten alle Makros und deren Unterverzeichnisse enthalten sein.", "The root directory should hold all macros and their sub-directories.", "Le répertoire racine doit contenir toutes les macros et leurs sous-répertoires."},
};
// clang-format on

const MainTextRow* findRow(std::string_view control, bool anyCaption, TextKind kind)
{
    for (const MainTextRow& row : kRows) {
        if (control != row.control)
            continue;
        if (anyCaption ? (row.kind == TextKind::Menu || row.kind == TextKind::Caption) : row.kind == kind)
            return &row;
    }
    return nullptr;
}

QString textOf(const MainTextRow* row)
{
    return row ? T(row->de, row->en, row->fr) : QString();
}

/// Whether object lies inside a dialog below root. The dialogs the window owns name their
/// controls after the same layers ("K1" is a menu here and a colour swatch in the colour dialog)
/// and set their own texts; the table is not theirs.
bool insideOwnDialog(const QObject* object, const QObject* root)
{
    for (const QObject* p = object->parent(); p && p != root; p = p->parent())
        if (qobject_cast<const QDialog*>(p))
            return true;
    return false;
}

} // namespace

std::span<const MainTextRow> MainTextTable()
{
    return kRows;
}

QString MainText(std::string_view control)
{
    return textOf(findRow(control, true, TextKind::Menu));
}

QString MainText(std::string_view control, TextKind kind)
{
    return textOf(findRow(control, false, kind));
}

void ApplyMainTexts(QObject* root)
{
    if (!root)
        return;
    for (const MainTextRow& row : kRows) {
        if (row.kind == TextKind::Filter || row.kind == TextKind::BrowserTitle)
            continue;
        const QString name = QString::fromLatin1(row.control);
        QList<QObject*> targets = root->findChildren<QObject*>(name);
        if (root->objectName() == name)
            targets.prepend(root);
        const QString text = textOf(&row);
        for (QObject* object : targets) {
            if (insideOwnDialog(object, root))
                continue;
            if (row.kind == TextKind::Hint) {
                const HintParts parts = SplitHint(text);
                if (auto* action = qobject_cast<QAction*>(object)) {
                    action->setToolTip(parts.shortPart);
                    action->setStatusTip(parts.longPart);
                } else if (auto* widget = qobject_cast<QWidget*>(object)) {
                    widget->setToolTip(parts.shortPart);
                    widget->setStatusTip(parts.longPart);
                }
            } else if (auto* menu = qobject_cast<QMenu*>(object)) {
                menu->setTitle(text);
            } else if (auto* action = qobject_cast<QAction*>(object)) {
                action->setText(text);
            } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
                button->setText(text);
            } else if (auto* label = qobject_cast<QLabel*>(object)) {
                label->setText(text);
            } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
                group->setTitle(text);
            } else if (auto* widget = qobject_cast<QWidget*>(object); widget && widget->isWindow()) {
                widget->setWindowTitle(text);
            }
        }
    }
}

HintParts SplitHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return {hint, hint};
    return {hint.left(bar), hint.mid(bar + 1)};
}

QString QtFileFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        description.remove(trailingPatterns);
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString pattern = p.trimmed();
            if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*")) {
                patterns = QStringList{QStringLiteral("*")};
                break;
            }
            for (const QString& variant : {pattern.toLower(), pattern.toUpper()})
                if (!patterns.contains(variant))
                    patterns << variant;
        }
        out << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

QString ToolStatusHint(ToolStatus status)
{
    // One table serves the editing session and the window: the session's, in the core.
    const auto hint = static_cast<ToolHint>(static_cast<int>(status) + 1);
    return QString::fromStdString(toolHintText(hint, CurrentLanguage()));
}

} // namespace trevok
