// Command identifiers of the menu, the accelerators, the toolbar, the mode
// selector and the remote control, with their menu texts and status texts.
// Every source (menu, key, toolbar button, a command posted by the remote
// poller) delivers one of these ids; the view runs it only when its enable
// rule (show/command_rules.h) allows it.
//
// Texts are UTF-8 here (the Qt front end's encoding). A menu text holds the
// label, a tab and the key shown at the right; a status text holds the
// status-bar prompt, a line break and the tooltip.
#pragma once

#include <cstdint>
#include <span>

namespace gz::cmd {

// "&Datei"
constexpr int32_t kNew = 57600;                 // "&Neu"
constexpr int32_t kSave = 57603;                // "&Speichern" (Ctrl+S)
constexpr int32_t kExit = 57665;                // "&Beenden"
// "&Bearbeiten": show commands
constexpr int32_t kLeftStarUp = 33034;          // "Erster Spieler +" F1
constexpr int32_t kRightStarUp = 33035;         // "Zweiter Spieler +" F2
constexpr int32_t kLeftStarDown = 33036;        // "Erster Spieler -" F3
constexpr int32_t kRightStarDown = 33037;       // "Zweiter Spieler -" F4
constexpr int32_t kStartNextPicture = 32809;    // "Starte nächstes Bild" F5
constexpr int32_t kUncoverPicture = 32813;      // "Bild aufdecken" F6, F9
constexpr int32_t kStopLeft = 32810;            // "Ersten Timer anhalten" F7
constexpr int32_t kStopRight = 32811;           // "Zweiten Timer anhalten" F8
constexpr int32_t kToolbarStopLeft = 33049;     // toolbar only
constexpr int32_t kToolbarStopRight = 33050;    // toolbar only
// "&Bearbeiten": draw tools and options
constexpr int32_t kToolMovePoints = 33044;      // "Zeichnenmodus verschieben" Ctrl+M
constexpr int32_t kToolDrawPolygon = 33045;     // "Zeichnenmodus Polygon" Ctrl+E
constexpr int32_t kToolDelete = 33046;          // "Zeichnenmodus löschen" Ctrl+A
// Authoring aids beside the draw tools (ids clear of every other range)
constexpr int32_t kUndo = 33060;                // "Rückgängig" Ctrl+Z
constexpr int32_t kRedo = 33061;                // "Wiederherstellen" Ctrl+Y
constexpr int32_t kGenerateCover = 33062;       // "Abdeckung erzeugen…"
constexpr int32_t kImportPictures = 33063;      // "Bilder importieren…"
constexpr int32_t kAssignBuzzers = 33064;       // "Buzzer zuordnen…"
constexpr int32_t kChooseComPort = 32818;       // "COM-Port auswählen"
constexpr int32_t kBlackCover = 33041;          // "Nur schwarze Abdeckung"
constexpr int32_t kPolygonInfo = 33040;         // "Polygon Infos anzeigen"
constexpr int32_t kNextGameNumber = 33039;      // "Nächste Spielnummer" Ctrl+N
constexpr int32_t kPicturePath = 33038;         // "Bilderpfad einstellen"
constexpr int32_t kSwitchTime = 33047;          // "Schaltzeit einstellen"
// "&Ansicht"
constexpr int32_t kFlatToolbar = 32772;         // "&Flache Symbolleiste"
constexpr int32_t kPinWindow = 32771;           // "Fenster fi&xieren"
constexpr int32_t kToolbar = 59392;             // "&Symbolleiste"
constexpr int32_t kStatusBar = 59393;           // "S&tatusleiste"
constexpr int32_t kStarsSmall = 32815;          // "Kleine Sterne"   (star size 2)
constexpr int32_t kStarsMedium = 32816;         // "Mittlere Sterne" (star size 1)
constexpr int32_t kStarsLarge = 32817;          // "Große Sterne"    (star size 0)
constexpr int32_t kStarsTwoRows = 33051;        // "Zwei Reihen"     (star size 3)
constexpr int32_t kControlWindow = 33065;       // "Moderatorfenster" F11
// "&?"
constexpr int32_t kAbout = 57664;               // "Inf&o über GameZinko..."
constexpr int32_t kKeyMap = 33042;              // "&Tastenbelegung"
// Main frame
constexpr int32_t kFullScreen = 32802;          // F10, toolbar "Vollbild Ansicht", "-z"
// Mode selector: 16000 + index; the selector issues 16000..16022 ("Spielen",
// "Zeichnen", "Sortieren", "Polygon 1".."Polygon 20"), the view accepts 16023.
constexpr int32_t kModeFirst = 16000;
constexpr int32_t kModeLast = 16023;
constexpr int32_t kModeSelectorEntries = 23;

constexpr bool isModeCommand(int32_t id) { return id >= kModeFirst && id <= kModeLast; }

enum class Menu : uint8_t { None, File, Edit, View, Help };

struct CommandInfo {
    int32_t id;
    Menu menu;             // None: toolbar, key or frame only
    const char* menuText;  // nullptr when not in a menu
    const char* statusText;  // "prompt\ntooltip"; nullptr when there is none
    bool onToolbar;
};

// Every command above except the mode selector range, in menu order
// (toolbar-only and frame commands last).
std::span<const CommandInfo> commandTable();
// The entry for id, or nullptr.
const CommandInfo* findCommand(int32_t id);
// The mode selector's entry text for index 0..22, or nullptr.
const char* modeSelectorText(int index);

}  // namespace gz::cmd
