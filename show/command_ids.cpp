#include "show/command_ids.h"

namespace gz::cmd {
namespace {

constexpr CommandInfo kTable[] = {
    {kNew, Menu::File, "&Neu", "Erstellt ein neues Bild.\nNeu", true},
    {kSave, Menu::File, "&Speichern", "Speichert das aktuelle Bild.\nSpeichern", true},
    {kExit, Menu::File, "&Beenden",
     "Verläßt die Anwendung; fragt, ob Dokumente gespeichert werden sollen.\nBeenden", false},

    {kLeftStarUp, Menu::Edit, "Erster Spieler +\tF1",
     "Die Sterne vom ersten Spieler erhöhen\nErster Spieler +", false},
    {kRightStarUp, Menu::Edit, "Zweiter Spieler +\tF2",
     "Die Sterne vom zweiten Spieler erhöhen\nZweiter Spieler +", false},
    {kLeftStarDown, Menu::Edit, "Erster Spieler -\tF3",
     "Die Sterne vom ersten Spieler vermindern\nErster Spieler -", false},
    {kRightStarDown, Menu::Edit, "Zweiter Spieler -\tF4",
     "Die Sterne vom zweiten Spieler vermindern\nZweiter Spieler -", false},
    {kStartNextPicture, Menu::Edit, "Starte nächstes Bild\tF5",
     "Startet das nächste Bild.\nStarte Bild", true},
    {kUncoverPicture, Menu::Edit, "Bild aufdecken\tF6",
     "Macht das aktuelle Bild voll sichtbar.\nBild aufdecken", true},
    {kStopLeft, Menu::Edit, "Ersten Timer anhalten\tF7",
     "Stopt den ersten Timer.\nErsten Timer anhalten", false},
    {kStopRight, Menu::Edit, "Zweiten Timer anhalten\tF8",
     "Stopt den zweiten Timer.\nZweiten Timer anhalten", false},

    {kUndo, Menu::Edit, "Rückgängig\tStrg+Z",
     "Macht die letzte Änderung an den Polygonen rückgängig.\nRückgängig", true},
    {kRedo, Menu::Edit, "Wiederherstellen\tStrg+Y",
     "Stellt die zuletzt rückgängig gemachte Änderung wieder her.\nWiederherstellen", true},

    {kToolMovePoints, Menu::Edit, "Zeichnenmodus verschieben\tStrg+M",
     "Wechsel in den Zeichnenmodus Punkte verschieben.\nPunkte verschieben", true},
    {kToolDrawPolygon, Menu::Edit, "Zeichnenmodus Polygon\tStrg+E",
     "Wechsel in den Zeichnenmodus Polygon zeichnen.\nPolygon zeichnen", true},
    {kToolDelete, Menu::Edit, "Zeichnenmodus löschen\tStrg+A",
     "Wechsel in den Zeichnenmodus Punkte und Polygone löschen.\nLöschen", true},
    {kGenerateCover, Menu::Edit, "Abdeckung erzeugen…",
     "Erzeugt eine Abdeckung aus Puzzleteilen, die das ganze Bild lückenlos bedeckt.\nAbdeckung erzeugen", false},
    {kImportPictures, Menu::Edit, "Bilder importieren…",
     "Macht aus vielen Bilddateien auf einmal neue Spiele mit erzeugter Abdeckung.\nBilder importieren", false},
    {kAssignBuzzers, Menu::Edit, "Buzzer zuordnen…",
     "Hier kann man die Knöpfe von Buzzern und Controllern den Aktionen zuordnen\nBuzzer zuordnen", false},

    {kChooseComPort, Menu::Edit, "COM-Port auswählen",
     "Hier kann man das COM-Port für die Fernsteuerung auswählen\nCOM-Port auswählen", false},
    {kBlackCover, Menu::Edit, "Nur schwarze Abdeckung",
     "Auswählen ob die Abdeckung schwarz oder bund ist.\nNur schwarze Abdeckung", false},
    {kPolygonInfo, Menu::Edit, "Polygon Infos anzeigen",
     "Anzeigen von Informationen über die Polygone.\nPolygon Infos anzeigen", false},
    {kNextGameNumber, Menu::Edit, "Nächste Spielnummer",
     "Auswahl der nächsten Spielnummer\nNächste Spielnummer", false},
    {kPicturePath, Menu::Edit, "Bilderpfad einstellen",
     "Einstellen des Pfades mit den Bildern.\nBilderpfad", false},
    {kSwitchTime, Menu::Edit, "Schaltzeit einstellen",
     "Stellt die Schaltzeit ein in der Polygone aufgetdeckt werden.\nSchaltzeit einstellen", false},

    {kFlatToolbar, Menu::View, "&Flache Symbolleiste",
     "DIe Tasten in der ToolBar flach oder erhaben anzeigen\nFlache Symbolleiste", false},
    {kPinWindow, Menu::View, "Fenster fi&xieren",
     "Fixiert das Fenster immer im Vordergrind\nFenster fixieren", true},
    {kToolbar, Menu::View, "&Symbolleiste",
     "Blendet die Symbolleiste ein oder aus.\nSymbolleiste ein-/ausschalten", false},
    {kStatusBar, Menu::View, "S&tatusleiste",
     "Blendet die Statusleiste ein oder aus.\nStatusleiste ein-/ausschalten", false},
    {kStarsSmall, Menu::View, "Kleine Sterne", "Größe der Sterne auswählen\nKleine Sterne", false},
    {kStarsMedium, Menu::View, "Mittlere Sterne", "Größe der Sterne auswählen\nMittlere Sterne", false},
    {kStarsLarge, Menu::View, "Große Sterne", "Größe der Sterne auswählen\nGroße Sterne", false},
    {kStarsTwoRows, Menu::View, "Zwei Reihen", "Größe der Sterne auswählen\nZwei Reihen", false},
    {kControlWindow, Menu::View, "Moderatorfenster\tF11",
     "Öffnet oder schließt das Fenster des Spielleiters mit Antwort und nächstem Spiel.\nModeratorfenster", false},

    // The about box has a tooltip but no status prompt of its own.
    {kAbout, Menu::Help, "Inf&o über GameZinko...", "\nInfo", true},
    {kKeyMap, Menu::Help, "&Tastenbelegung", "Zeigt die Tastatdurbelegung an.\nTastenbelegung", false},

    {kToolbarStopLeft, Menu::None, nullptr, "Stopt den ersten Timer.\nErsten Timer anhalten", true},
    {kToolbarStopRight, Menu::None, nullptr, "Stopt den zweiten Timer.\nZweiten Timer anhalten", true},
    {kFullScreen, Menu::None, nullptr, "Schaltet um in den Vollbildmodus.\nVollbild Ansicht", true},
};

constexpr const char* kModeTexts[kModeSelectorEntries] = {
    "Spielen",     "Zeichnen",    "Sortieren",   "Polygon 1",   "Polygon 2",   "Polygon 3",
    "Polygon 4",   "Polygon 5",   "Polygon 6",   "Polygon 7",   "Polygon 8",   "Polygon 9",
    "Polygon 10",  "Polygon 11",  "Polygon 12",  "Polygon 13",  "Polygon 14",  "Polygon 15",
    "Polygon 16",  "Polygon 17",  "Polygon 18",  "Polygon 19",  "Polygon 20",
};

}  // namespace

std::span<const CommandInfo> commandTable() { return kTable; }

const CommandInfo* findCommand(int32_t id)
{
    for (const CommandInfo& c : kTable)
        if (c.id == id)
            return &c;
    return nullptr;
}

const char* modeSelectorText(int index)
{
    if (index < 0 || index >= kModeSelectorEntries)
        return nullptr;
    return kModeTexts[index];
}

}  // namespace gz::cmd
